// The file chooser and the message box: the default file divided into folder and name, the
// pattern text turned into the chooser's list of filters, the program's texts converted from code
// page 1252 to the platform's UTF-8, and the chosen path handed back as a temporary text. Paths are
// never converted: they stay the bytes the file system names the file with.
#include "storage/requesters.h"

#include <string>
#include <vector>

#include "runtime/codepage.h"
#include "runtime/platform.h"
#include "storage/text.h"
#include "storage/translation.h"

namespace {

// The longest path, with its 0, that the system hands to a program.
constexpr int32_t kPathCapacity = 4096;
constexpr int32_t kButtonOk = 1;

struct InitialFile {
    std::string folder; // with its final separator
    std::string name;
};

struct FilterEntry {
    std::string description;
    std::string patterns;
};

// The folder ends after the last separator. "\" counts as a separator too, so that a default file
// written with Windows separators still divides; such a name could not be a file name anyway.
InitialFile SplitDefaultFile(const char* defaultFile) {
    InitialFile initial;
    std::string text = defaultFile != nullptr ? defaultFile : "";
    std::size_t separator = text.find_last_of("/\\");
    if (separator == std::string::npos) {
        initial.name = text;
    } else {
        initial.folder = text.substr(0, separator + 1);
        initial.name = text.substr(separator + 1);
    }
    if (IsValidFileName(initial.name.c_str()) == 0) {
        initial.name.clear();
    }
    return initial;
}

std::vector<std::string> SplitAtBars(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t begin = 0;
    for (std::size_t bar = text.find('|'); bar != std::string::npos; bar = text.find('|', begin)) {
        parts.push_back(text.substr(begin, bar - begin));
        begin = bar + 1;
    }
    parts.push_back(text.substr(begin));
    return parts;
}

// "*.*" means every file, also one without a dot in its name.
bool MatchesEveryFile(const std::string& patterns) {
    return patterns == "*" || patterns == "*.*";
}

// Descriptions and patterns alternate; a text without "|" is one pattern that serves as its own
// description, and an entry without patterns ends the list. An entry for every file is added when
// none is listed, so that a default name with another ending can still be seen and chosen.
std::vector<FilterEntry> FilterEntries(const std::string& patternText) {
    std::vector<FilterEntry> entries;
    std::vector<std::string> parts = SplitAtBars(patternText);
    if (parts.size() == 1 && !parts[0].empty()) {
        entries.push_back({parts[0], parts[0]});
    }
    for (std::size_t index = 0; parts.size() > 1 && index + 1 < parts.size(); index += 2) {
        if (parts[index + 1].empty()) {
            break;
        }
        const std::string& description = parts[index].empty() ? parts[index + 1] : parts[index];
        entries.push_back({description, parts[index + 1]});
    }
    bool everyFileListed = false;
    for (FilterEntry& entry : entries) {
        if (MatchesEveryFile(entry.patterns)) {
            entry.patterns = "*";
            everyFileListed = true;
        }
    }
    if (!everyFileListed) {
        entries.push_back({Cp1252ToUtf8(Translate("Alle Dateien")), "*"});
    }
    return entries;
}

// The length of the well-formed UTF-8 sequence at `at`, or 0: no overlong forms, no surrogates,
// nothing past U+10FFFF.
int WellFormedSequenceLength(const unsigned char* at) {
    int length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (at[0] < 0x80) {
        return 1;
    } else if (at[0] >= 0xC2 && at[0] <= 0xDF) {
        length = 2;
    } else if (at[0] >= 0xE0 && at[0] <= 0xEF) {
        length = 3;
        low = at[0] == 0xE0 ? 0xA0 : low;
        high = at[0] == 0xED ? 0x9F : high;
    } else if (at[0] >= 0xF0 && at[0] <= 0xF4) {
        length = 4;
        low = at[0] == 0xF0 ? 0x90 : low;
        high = at[0] == 0xF4 ? 0x8F : high;
    } else {
        return 0;
    }
    if (at[1] < low || at[1] > high) {
        return 0;
    }
    for (int index = 2; index < length; ++index) {
        if ((at[index] & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

// A file name as a person can read it: its UTF-8 as it stands, each byte that is no part of a
// well-formed sequence shown as U+FFFD.
std::string DisplayableFileName(const char* path) {
    std::string shown;
    const auto* at = reinterpret_cast<const unsigned char*>(path != nullptr ? path : "");
    while (*at != 0) {
        int length = WellFormedSequenceLength(at);
        if (length == 0) {
            shown += "\xEF\xBF\xBD";
            ++at;
            continue;
        }
        shown.append(reinterpret_cast<const char*>(at), static_cast<std::size_t>(length));
        at += length;
    }
    return shown;
}

} // namespace

// Open and save requesters both accept a name that does not exist yet, so one chooser serves both.
// It picks a single file: with multiple selection the caller gets the first chosen file, which is
// then the only one.
char* AskFileName(int32_t /*flags*/, const char* title, const char* defaultFile,
                  const char* patternText, int32_t patternPosition, int32_t save, int32_t start) {
    return AskFileNameWithPlace(title, defaultFile, patternText, patternPosition, save, nullptr,
                                start);
}

char* AskFileNameWithPlace(const char* title, const char* defaultFile, const char* patternText,
                           int32_t patternPosition, int32_t save, const char* place,
                           int32_t start) {
    // Everything is copied out of the arguments first: they may lie in the work buffer at start.
    InitialFile initial = SplitDefaultFile(defaultFile);
    std::string placeFolder = place != nullptr ? place : "";
    std::vector<FilterEntry> entries = FilterEntries(Cp1252ToUtf8(patternText));
    std::vector<PlatformFileFilter> filters;
    for (const FilterEntry& entry : entries) {
        filters.push_back({entry.description.c_str(), entry.patterns.c_str()});
    }
    auto filterCount = static_cast<int32_t>(filters.size());
    int32_t selected = patternPosition >= 0 && patternPosition < filterCount ? patternPosition : 0;

    std::vector<char> chosen(kPathCapacity, 0);
    std::string path;
    if (PlatformAskFileName(Cp1252ToUtf8(Translate(title)).c_str(), initial.folder.c_str(),
                            initial.name.c_str(), filters.data(), filterCount, selected,
                            placeFolder.c_str(), save, chosen.data(), kPathCapacity) > 0) {
        path = chosen.data();
    }
    return StringLeft(path.c_str(), StringLength(path.c_str()), start);
}

char* AskOpenFileName(const char* title, const char* defaultFile, const char* patternText,
                      int32_t patternPosition, int32_t start) {
    return AskFileName(0, title, defaultFile, patternText, patternPosition, 0, start);
}

// The box has one OK button whatever style the flags ask for, so OK is the only possible answer.
int32_t ShowMessageBox(const char* title, const char* text, int32_t /*flags*/) {
    PlatformMessageBox(Cp1252ToUtf8(Translate(title)).c_str(),
                       Cp1252ToUtf8(Translate(text)).c_str());
    return kButtonOk;
}

int32_t ShowFileMessageBox(const char* title, const char* text, const char* path) {
    std::string message = Cp1252ToUtf8(Translate(text)) + DisplayableFileName(path);
    PlatformMessageBox(Cp1252ToUtf8(Translate(title)).c_str(), message.c_str());
    return kButtonOk;
}
