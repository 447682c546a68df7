// The periodic backup. A failed write is silent, as every backup is; the animation then still
// differs from what was stored, so the next minute tries again.
#include "storage/periodic_backup.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/background_work.h"
#include "runtime/surface.h"
#include "storage/animation_file.h"
#include "storage/atomic_file.h"
#include "storage/text.h"

namespace {

constexpr int64_t kBackupIntervalMs = 60000;

struct PeriodicBackup {
    std::vector<unsigned char> stored;  // the animation as last saved, loaded or backed up
    std::vector<unsigned char> pending; // the copy the writer works from; the main loop keeps off
    bool started = false;               // a write was started and not taken in yet
    std::atomic<int32_t> written{0};
    int64_t lastLook = 0; // milliseconds
};

PeriodicBackup backup;

// Takes in a writer that has finished; a written copy becomes what is stored.
void CollectWriter(bool wait) {
    if (!backup.started || (BackgroundWorkRunning() && !wait)) {
        return;
    }
    BackgroundWorkWait();
    backup.started = false;
    if (backup.written != 0) {
        backup.stored.swap(backup.pending);
    }
}

std::string BackupName(const char* basePath) {
    int32_t start = WorkBufferLength();
    std::string name = BackupFileName(basePath, start);
    WorkBufferSetLength(start);
    return name;
}

} // namespace

void NoteAnimationStored(const Animation& animation) {
    FinishBackup();
    EncodeAnimation(animation, &backup.stored);
    backup.lastLook = ElapsedMilliseconds();
}

void BackUpWhenDue(const char* basePath, const Animation& animation) {
    int64_t now = ElapsedMilliseconds();
    if (now - backup.lastLook < kBackupIntervalMs) {
        return;
    }
    CollectWriter(false);
    if (backup.started || StringEqual(basePath, "") != 0) {
        return; // still writing the last one, or nowhere to write: look again later
    }
    backup.lastLook = now;
    EncodeAnimation(animation, &backup.pending);
    if (backup.pending == backup.stored) {
        return;
    }
    // Without a writer to be had, the next minute tries again.
    backup.started = BackgroundWorkStart([name = BackupName(basePath)] {
        std::string error; // backups are silent
        bool written = AtomicFileReplaceWith(name.c_str(), backup.pending.data(),
                                             backup.pending.size(), &error);
        backup.written = written ? 1 : 0;
    });
}

void FinishBackup() {
    CollectWriter(true);
}
