// The figure library's keys: G saves the figure under the pointer as a figure file, O inserts the
// figure (frame 0) of a chosen file into the current frame with its centre on the pointer. Both
// choose the file in the file chooser, which opens in the library folder.
#pragma once

// G: nothing happens away from every joint; the result shows on the status line.
void SaveFigureUnderPointer();
// O: one undo step. "Kein Platz für die Figur" when the frame has too few free slots; a file that
// cannot be read or holds no joint in its frame 0 changes nothing and is reported.
void InsertFigureFromFile();
