// The status line's messages, kept in the session until a cycle shows them.
#include "editor/status_line.h"

#include <string>

#include "model/editor_state.h"
#include "runtime/codepage.h"
#include "storage/translation.h"

void ShowStatusMessage(const char* text) {
    ShowStatusMessageAbout(text, "");
}

void ShowStatusMessageAbout(const char* text, const char* name) {
    editor.session.statusLines.push_back(std::string(Translate(text)) + Utf8ToCp1252(name));
}

bool StatusLinesPending() {
    return !editor.session.statusLines.empty();
}

bool TakeStatusLine(std::string* line) {
    std::vector<std::string>& lines = editor.session.statusLines;
    if (lines.empty()) {
        return false;
    }
    *line = std::move(lines.front());
    lines.erase(lines.begin());
    return true;
}

void DrawStatusLine(const char* line, const DrawingTarget* target) {
    if (DrawingBegin(target) == 0) {
        return;
    }
    DrawingSetMode(DrawingTransparentText);
    DrawTextAt(1, 1, line, PackColour(255, 0, 0));
    DrawingEnd();
}
