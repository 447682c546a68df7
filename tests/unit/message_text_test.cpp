// Input in a message: at most 40 characters of it between quotes, its start and its end, printable
// UTF-8 as it is and every other byte escaped; and the system's errors in the user's words.
#include "storage/message_text.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

namespace {

std::string Repeated(const std::string& text, int count) {
    std::string repeated;
    for (int index = 0; index < count; ++index) {
        repeated += text;
    }
    return repeated;
}

TEST(MessageText, QuotesShowAtMostFortyCharactersAndEscapeEveryByteThatIsNotPrintable) {
    const std::pair<std::string, std::string> cases[] = {
        {"walk.txt", "'walk.txt'"},
        {"", "''"},
        {"\x1b]0;title\x07\x1b[2J", "'\\x1b]0;title\\x07\\x1b[2J'"},
        {std::string("a\0b", 3), "'a\\x00b'"},
        {"\x89PNG\r\n\x1a\n", "'\\x89PNG\\x0d\\x0a\\x1a\\x0a'"},
        {"tab\there\x7f", "'tab\\x09here\\x7f'"},
        {"Gr\xc3\xbc\xc3\x9f\x65 \xe2\x82\xac \xf0\x9f\x98\x80",
         "'Gr\xc3\xbc\xc3\x9f\x65 \xe2\x82\xac \xf0\x9f\x98\x80'"},
        // C1's escape, an overlong slash, a surrogate, a cut sequence, a stray continuation, a
        // right-to-left override.
        {"\xc2\x9b", "'\\xc2\\x9b'"},
        {"\xc0\xaf", "'\\xc0\\xaf'"},
        {"\xed\xa0\x80", "'\\xed\\xa0\\x80'"},
        {"end\xe2\x82", "'end\\xe2\\x82'"},
        {"\x80x", "'\\x80x'"},
        {"a\xe2\x80\xae"
         "b",
         "'a\\xe2\\x80\\xaeb'"},
        {std::string(40, 'w'), "'" + std::string(40, 'w') + "'"},
        // A 60 MiB word, a long path, a run of escapes: the first and the last 20 characters.
        {std::string(20, 'a') + std::string(60 << 20, 'w') + std::string(20, 'z'),
         "'" + std::string(20, 'a') + "..." + std::string(20, 'z') + "'"},
        {"/home/someone/animations/2024/summer/walk cycle/final/walk.txt",
         "'/home/someone/animat...cycle/final/walk.txt'"},
        {std::string(39, 'w') + "\xc3\xbc\xc3\xbc",
         "'" + std::string(20, 'w') + "..." + std::string(18, 'w') + "\xc3\xbc\xc3\xbc'"},
        {std::string(41, '\x1b'),
         "'" + Repeated("\\x1b", 20) + "..." + Repeated("\\x1b", 20) + "'"},
    };
    for (const auto& [text, quoted] : cases) {
        EXPECT_EQ(Quoted(text), quoted);
    }
}

TEST(MessageText, SystemErrorsAreSaidInTheUsersWords) {
    const std::pair<int, std::string> cases[] = {
        {EACCES, "permission denied"},      {EPERM, "permission denied"},
        {ENOSPC, "the disk is full"},       {EDQUOT, "the disk is full"},
        {EROFS, "the disk is read-only"},   {ENOENT, "no such file or folder"},
        {EBUSY, "device or resource busy"},
    };
    for (const auto& [code, text] : cases) {
        EXPECT_EQ(SystemErrorText(code), text) << code;
    }
}

} // namespace
