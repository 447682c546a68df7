// The texts the window shows, in the user's language. The German texts are the message ids: a
// catalog in gettext's .mo format holds another language's text for each, and German (or a
// language without a catalog) shows the ids themselves. Texts are code page 1252, as drawn.
#pragma once

#include <string>
#include <vector>

// The languages to try, best first, from the locale variables as gettext reads them: LANGUAGE's
// list, unless the locale that LC_ALL, LC_MESSAGES or LANG (the first one set) names is C or
// POSIX; otherwise that locale alone. Each name is widened to the names it falls back to
// ("en_US.UTF-8" gives "en_US", "en"). Null or empty variables count as unset.
std::vector<std::string> LanguagesFromLocale(const char* language, const char* lcAll,
                                             const char* lcMessages, const char* lang);
// The same from the process's environment.
std::vector<std::string> LanguagesFromEnvironment();

// The folders that hold LANG/LC_MESSAGES/limbrado.mo for a program at `executablePath`: the
// installed tree's share/locale beside bin/, and the build folder's share/locale.
std::vector<std::string> CatalogFolders(const std::string& executablePath);

// Takes the catalog of the first language in `languages` that has one in one of `folders`; a
// German name before it, or no catalog at all, keeps German. Returns the language chosen ("de"
// for German). A catalog that cannot be read counts as none.
std::string UseLanguage(const std::vector<std::string>& languages,
                        const std::vector<std::string>& folders);
// Loads a catalog's bytes directly; false (and German) when they are no catalog.
bool UseCatalog(const std::string& bytes);

// The text in the chosen language: the catalog's entry, or `german` itself when it has none.
// A text "CONTEXT\x04WORD" is WORD in that context (gettext's msgctxt), so that one German word
// may have two translations; without an entry it is WORD. The result lives until the next
// UseLanguage or UseCatalog.
const char* Translate(const char* german);
// The texts asked for since the catalog was taken that it has no entry for; none with German.
std::vector<std::string> UntranslatedTexts();
