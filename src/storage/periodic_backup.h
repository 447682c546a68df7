// The backup beside the animation file while the editor runs: written at most once a minute, and
// only while the animation differs from what was last saved, loaded or backed up. The main loop
// takes a copy of the animation's bytes in one cycle; the background worker (a thread of its own
// where there are threads) writes it the same way every save is written, so that no cycle waits
// for the disk.
#pragma once

#include "model/animation.h"

// After a save or a load: the animation as it stands now is what the file holds.
void NoteAnimationStored(const Animation& animation);
// Once per main-loop cycle; starts a backup of the animation beside basePath when one is due and
// the animation has changed.
void BackUpWhenDue(const char* basePath, const Animation& animation);
// Waits for a backup still being written; before the backup at exit, which writes the same file.
void FinishBackup();
