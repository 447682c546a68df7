// The catalog of the chosen language, read from gettext's .mo format (a header, then two tables of
// lengths and offsets: the message ids and their texts), with both sides turned from the
// catalog's UTF-8 into code page 1252 once, so that a lookup is one hash of the drawn text.
#include "storage/translation.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <unordered_map>

#include "runtime/codepage.h"
#include "storage/path_parts.h"

namespace {

constexpr uint32_t kMagic = 0x950412de;
constexpr uint32_t kSwappedMagic = 0xde120495;
constexpr off_t kLargestCatalog = 4 << 20;
constexpr const char* kCatalogName = "limbrado.mo";

struct Catalog {
    std::unordered_map<std::string, std::string> texts;
    std::set<std::string> untranslated;
    bool loaded = false;
};
Catalog catalog;

bool IsSet(const char* value) {
    return value != nullptr && value[0] != 0;
}

// "C", "POSIX" and their codeset forms ("C.UTF-8") are the locale without a language.
bool IsPlainLocale(const std::string& locale) {
    std::string name = locale.substr(0, locale.find_first_of(".@"));
    return name == "C" || name == "POSIX";
}

// ll_CC.codeset@modifier falls back to ll_CC@modifier, ll@modifier, ll_CC and ll.
void AddWithFallbacks(const std::string& name, std::vector<std::string>& languages) {
    std::size_t at = name.find('@');
    std::string modifier = at == std::string::npos ? "" : name.substr(at);
    std::string base = name.substr(0, std::min(name.find('.'), at));
    std::string language = base.substr(0, base.find('_'));
    if (language.empty() || IsPlainLocale(name)) {
        return;
    }
    std::vector<std::string> candidates;
    if (!modifier.empty()) {
        candidates = {base + modifier, language + modifier};
    }
    candidates.push_back(base);
    candidates.push_back(language);
    for (const std::string& candidate : candidates) {
        if (std::find(languages.begin(), languages.end(), candidate) == languages.end()) {
            languages.push_back(candidate);
        }
    }
}

bool IsGerman(const std::string& language) {
    return language.substr(0, language.find_first_of("_@")) == "de";
}

// The whole file, when it is a regular file of a catalog's size; a FIFO or device is refused
// before anything waits on it.
bool ReadCatalogFile(const std::string& path, std::string* bytes) {
    int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    struct stat status {};
    bool fits = fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) &&
                status.st_size <= kLargestCatalog;
    if (fits) {
        bytes->assign(static_cast<std::size_t>(status.st_size), '\0');
        std::size_t done = 0;
        while (fits && done < bytes->size()) {
            ssize_t count = read(descriptor, bytes->data() + done, bytes->size() - done);
            fits = count > 0;
            done += fits ? static_cast<std::size_t>(count) : 0;
        }
    }
    return close(descriptor) == 0 && fits;
}

class CatalogReader {
  public:
    explicit CatalogReader(const std::string& bytes) : bytes_(bytes) {}

    bool Read(std::unordered_map<std::string, std::string>* texts) {
        uint32_t magic = 0;
        if (!Word(0, &magic) || (magic != kMagic && magic != kSwappedMagic)) {
            return false;
        }
        swapped_ = magic == kSwappedMagic;
        uint32_t count = 0;
        uint32_t ids = 0;
        uint32_t translations = 0;
        if (!Word(8, &count) || !Word(12, &ids) || !Word(16, &translations)) {
            return false;
        }
        for (uint32_t index = 0; index < count; ++index) {
            std::string id;
            std::string text;
            if (!Entry(ids + uint64_t{index} * 8, &id) ||
                !Entry(translations + uint64_t{index} * 8, &text)) {
                return false;
            }
            // Plural forms are not used; the empty id is the catalog's header. A context stays
            // joined to its id by 0x04, as Translate is asked for it.
            if (!id.empty() && id.find('\0') == std::string::npos) {
                (*texts)[Utf8ToCp1252(id.c_str())] = Utf8ToCp1252(text.c_str());
            }
        }
        return true;
    }

  private:
    bool Word(uint64_t offset, uint32_t* value) const {
        if (offset + 4 > bytes_.size()) {
            return false;
        }
        uint32_t word = 0;
        std::memcpy(&word, bytes_.data() + offset, 4);
        *value = swapped_ ? __builtin_bswap32(word) : word;
        return true;
    }

    // A length and an offset; the text ends in a 0 byte that its length leaves out.
    bool Entry(uint64_t offset, std::string* text) const {
        uint32_t length = 0;
        uint32_t start = 0;
        if (!Word(offset, &length) || !Word(offset + 4, &start) ||
            uint64_t{start} + length >= bytes_.size()) {
            return false;
        }
        text->assign(bytes_.data() + start, length);
        return true;
    }

    const std::string& bytes_;
    bool swapped_ = false;
};

} // namespace

std::vector<std::string> LanguagesFromLocale(const char* language, const char* lcAll,
                                             const char* lcMessages, const char* lang) {
    const char* locale = IsSet(lcAll) ? lcAll : IsSet(lcMessages) ? lcMessages : lang;
    std::vector<std::string> languages;
    if (!IsSet(locale) || IsPlainLocale(locale)) {
        return languages;
    }
    if (!IsSet(language)) {
        AddWithFallbacks(locale, languages);
        return languages;
    }
    std::string list = language;
    std::size_t begin = 0;
    while (begin <= list.size()) {
        std::size_t colon = std::min(list.find(':', begin), list.size());
        AddWithFallbacks(list.substr(begin, colon - begin), languages);
        begin = colon + 1;
    }
    return languages;
}

std::vector<std::string> LanguagesFromEnvironment() {
    return LanguagesFromLocale(std::getenv("LANGUAGE"), std::getenv("LC_ALL"),
                               std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

std::vector<std::string> CatalogFolders(const std::string& executablePath) {
    std::string folder = SplitPath(executablePath).folder;
    return {folder + "../share/locale", folder + "share/locale"};
}

std::string UseLanguage(const std::vector<std::string>& languages,
                        const std::vector<std::string>& folders) {
    UseCatalog("");
    for (const std::string& language : languages) {
        if (IsGerman(language)) {
            return "de";
        }
        for (const std::string& folder : folders) {
            std::string bytes;
            if (ReadCatalogFile(folder + "/" + language + "/LC_MESSAGES/" + kCatalogName, &bytes) &&
                UseCatalog(bytes)) {
                return language;
            }
        }
    }
    return "de";
}

bool UseCatalog(const std::string& bytes) {
    catalog = Catalog{};
    std::unordered_map<std::string, std::string> texts;
    if (bytes.empty() || !CatalogReader(bytes).Read(&texts)) {
        return false;
    }
    catalog.texts = std::move(texts);
    catalog.loaded = true;
    return true;
}

const char* Translate(const char* german) {
    const char* separator = german != nullptr ? std::strchr(german, '\x04') : nullptr;
    const char* word = separator != nullptr ? separator + 1 : german;
    if (!catalog.loaded || german == nullptr || german[0] == 0) {
        return word;
    }
    auto found = catalog.texts.find(german);
    if (found != catalog.texts.end()) {
        return found->second.c_str();
    }
    // Numbers and signs read the same in every language.
    if (std::any_of(german, german + std::strlen(german),
                    [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; })) {
        catalog.untranslated.insert(german);
    }
    return word;
}

std::vector<std::string> UntranslatedTexts() {
    return {catalog.untranslated.begin(), catalog.untranslated.end()};
}
