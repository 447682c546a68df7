// The editor's one state record.
#include "model/editor_state.h"

EditorState editor;

void EditorStateInit() {
    editor = EditorState{};
}
