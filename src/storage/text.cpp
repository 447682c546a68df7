// Texts: the one shared work buffer in which every temporary text is built, string variables in
// the string heap, decimal text of integers, path and file-name checks, the program's parameters
// and its own path.
#include "storage/text.h"

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "runtime/heaps.h"

namespace {

constexpr int32_t kFirstCapacity = 16;
// The buffer grows this far beyond the need, so that building the labels of every frame
// does not reallocate every frame.
constexpr int32_t kGrowthMargin = 16384;
// Room below the capacity, and beyond it in every block, for word-sized copies and the 0.
constexpr int32_t kCapacityMargin = 4;
constexpr int32_t kBlockSlack = 5;

struct WorkBuffer {
    char* buffer;
    int32_t length;
    int32_t capacity;
};

WorkBuffer work;

// What an operation that builds a text hands back when the heap cannot provide room.
char emptyText[1];

// The program's parameters: token 0 is the program; returnedCount counts the tokens after it that
// CommandLineArgument has handed out.
struct ParameterState {
    int32_t returnedCount;
    std::vector<std::string> tokens;
};

ParameterState parameters;

bool EnsureWorkBuffer() {
    if (work.buffer != nullptr) {
        return true;
    }
    work.buffer = static_cast<char*>(StringHeapAllocate(kFirstCapacity + kBlockSlack));
    work.capacity = work.buffer != nullptr ? kFirstCapacity : 0;
    work.length = 0;
    return work.buffer != nullptr;
}

// Where text lies in the work buffer, or -1. Texts there must be taken by offset, because
// reserving room may move the buffer.
int64_t OffsetInWorkBuffer(const char* text) {
    if (text == nullptr || work.buffer == nullptr) {
        return -1;
    }
    std::less_equal<const char*> atOrBefore;
    const char* end = work.buffer + work.capacity + kBlockSlack;
    if (atOrBefore(work.buffer, text) && !atOrBefore(end, text)) {
        return text - work.buffer;
    }
    return -1;
}

// Copies count bytes of text to start (text may lie in the buffer) and terminates them.
char* CopyAt(const char* text, int32_t count, int32_t start) {
    int64_t offset = OffsetInWorkBuffer(text);
    char* destination = WorkBufferReserve(count, start);
    if (destination == nullptr) {
        return emptyText;
    }
    if (count > 0) {
        const char* source = offset >= 0 ? work.buffer + offset : text;
        std::memmove(destination, source, static_cast<std::size_t>(count));
    }
    destination[count] = 0;
    return destination;
}

// Writes the decimal digits of magnitude, after a "-" when negative, into a reservation of
// `room` bytes at start, then gives back what was not used.
char* WriteDecimal(uint64_t magnitude, bool negative, int32_t room, int32_t start) {
    char* text = WorkBufferReserve(room, start);
    if (text == nullptr) {
        return emptyText;
    }
    char digits[20];
    int32_t digitCount = 0;
    do {
        digits[digitCount++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    int32_t written = 0;
    if (negative) {
        text[written++] = '-';
    }
    while (digitCount > 0) {
        text[written++] = digits[--digitCount];
    }
    WorkBufferTrim(room - written);
    return text;
}

} // namespace

void TextWorkBufferInit() {
    if (EnsureWorkBuffer()) {
        work.length = 0;
        work.buffer[0] = 0;
    }
}

int32_t WorkBufferLength() {
    return work.length;
}

void WorkBufferSetLength(int32_t length) {
    if (EnsureWorkBuffer()) {
        work.length = std::clamp(length, 0, work.capacity);
    }
}

char* WorkBufferText(int32_t start) {
    if (!EnsureWorkBuffer()) {
        return emptyText;
    }
    return work.buffer + std::clamp(start, 0, work.capacity);
}

char* WorkBufferReserve(int32_t count, int32_t start) {
    if (!EnsureWorkBuffer()) {
        return nullptr;
    }
    count = std::max(count, 0);
    start = std::clamp(start, 0, work.capacity);
    // Measured from the later of length and start, so a reservation past the length still fits.
    int64_t need = int64_t{std::max(work.length, start)} + count;
    if (need >= work.capacity - kCapacityMargin) {
        int64_t capacity = need + kGrowthMargin;
        if (capacity + kBlockSlack > INT32_MAX) {
            return nullptr;
        }
        void* moved =
            StringHeapReallocate(work.buffer, static_cast<std::size_t>(capacity) + kBlockSlack);
        if (moved == nullptr) {
            return nullptr;
        }
        work.buffer = static_cast<char*>(moved);
        work.capacity = static_cast<int32_t>(capacity);
    }
    work.length = start + count;
    return work.buffer + start;
}

void WorkBufferTrim(int32_t count) {
    if (!EnsureWorkBuffer()) {
        return;
    }
    work.length = std::clamp(work.length - std::max(count, 0), 0, work.capacity);
    work.buffer[work.length] = 0;
}

int32_t StringLength(const char* text) {
    if (text == nullptr) {
        return 0;
    }
    return static_cast<int32_t>(std::min<std::size_t>(std::strlen(text), INT32_MAX));
}

char* StringLeft(const char* text, int32_t count, int32_t start) {
    return CopyAt(text, std::min(StringLength(text), std::max(count, 0)), start);
}

int32_t StringEqual(const char* a, const char* b) {
    return std::strcmp(a != nullptr ? a : "", b != nullptr ? b : "") == 0 ? 1 : 0;
}

void AppendText(const char* text) {
    CopyAt(text, StringLength(text), work.length);
}

char* Int32ToText(int32_t value, int32_t start) {
    // The magnitude is taken in unsigned arithmetic, where -2147483648 has one.
    uint32_t magnitude =
        value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    return WriteDecimal(magnitude, value < 0, 32, start);
}

char* Int64ToText(int64_t value, int32_t start) {
    if (value >= INT32_MIN && value <= INT32_MAX) {
        return Int32ToText(static_cast<int32_t>(value), start);
    }
    uint64_t magnitude =
        value < 0 ? 0u - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    return WriteDecimal(magnitude, value < 0, 64, start);
}

// The text up to and including the last "/" or "\" before the end or the first "|"; an opening
// double quote is not part of it.
char* PathDirectoryPart(const char* path, int32_t start) {
    int32_t length = StringLength(path);
    int32_t begin = length > 0 && path[0] == '"' ? 1 : 0;
    int32_t end = 0;
    for (int32_t index = 0; index < length && path[index] != '|'; ++index) {
        if (path[index] == '/' || path[index] == '\\') {
            end = index + 1;
        }
    }
    if (end <= begin) {
        return CopyAt(nullptr, 0, start);
    }
    return CopyAt(path + begin, end - begin, start);
}

int32_t IsValidFileName(const char* name) {
    if (name == nullptr || name[0] == 0) {
        return 0;
    }
    for (const char* character = name; *character != 0; ++character) {
        auto byte = static_cast<unsigned char>(*character);
        if (byte < 32 || std::strchr("\"*/:<>?\\|", byte) != nullptr) {
            return 0;
        }
    }
    return 1;
}

namespace {

// A block of the string heap holding count bytes of text and its 0, with the usual slack.
char* NewStringBlock(const char* text, int32_t count) {
    auto* block =
        static_cast<char*>(StringHeapAllocate(static_cast<std::size_t>(count) + kBlockSlack));
    if (block != nullptr && count > 0) {
        std::memcpy(block, text, static_cast<std::size_t>(count));
    }
    return block;
}

} // namespace

void StoreBuiltString(char** variable, int32_t start) {
    start = std::clamp(start, 0, work.length);
    if (variable != nullptr && EnsureWorkBuffer()) {
        char* block = NewStringBlock(work.buffer + start, work.length - start);
        StringFree(*variable);
        *variable = block;
    }
    work.length = start;
}

void InitString(char** variable, const char* text) {
    if (variable != nullptr && text != nullptr) {
        *variable = NewStringBlock(text, StringLength(text));
    }
}

int32_t AssignString(char** variable, const char* text) {
    if (variable == nullptr) {
        return 0;
    }
    if (text == nullptr) {
        StringFree(*variable);
        *variable = nullptr;
        return 1;
    }
    // Copied before the old block goes, since text may be the variable's own.
    int32_t length = StringLength(text);
    char* block = NewStringBlock(text, length);
    StringFree(*variable);
    *variable = block;
    return block != nullptr ? length + 1 : 1;
}

void StringFree(char* block) {
    StringHeapFree(block);
}

// On Linux the shell has split the command line already: every element of the argument vector
// is one token, kept as it is (spaces and quote characters included).
void ParameterStateInit(int argc, char** argv) {
    parameters.returnedCount = 0;
    parameters.tokens.clear();
    for (int index = 0; index < argc && argv != nullptr && argv[index] != nullptr; ++index) {
        parameters.tokens.emplace_back(argv[index]);
    }
}

char* CommandLineArgument(int32_t start) {
    std::size_t next = static_cast<std::size_t>(parameters.returnedCount) + 1;
    if (next >= parameters.tokens.size()) {
        return CopyAt(nullptr, 0, start);
    }
    ++parameters.returnedCount;
    const std::string& token = parameters.tokens[next];
    return CopyAt(token.c_str(), StringLength(token.c_str()), start);
}

char* ExecutablePath(int32_t start) {
    // The link holds a path of any length; the room doubles until it fits.
    for (int32_t room = 4096; room <= (1 << 20); room *= 2) {
        char* text = WorkBufferReserve(room, start);
        if (text == nullptr) {
            break;
        }
        ssize_t length = readlink("/proc/self/exe", text, static_cast<std::size_t>(room));
        if (length < 0) {
            break;
        }
        if (length < room) {
            WorkBufferTrim(room - static_cast<int32_t>(length));
            return text;
        }
    }
    return CopyAt(nullptr, 0, start);
}
