// A motion clip turned into a figure: the clip's pose at any time by forward kinematics (the two
// nearest clip frames blended, rotations as rotations), seen from the front or the side, and
// placed as a new figure into a run of frames of the grids, one frame every 1 / rate seconds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/animation.h"
#include "storage/bvh_clip.h"

struct ClipPoint {
    double x;
    double y;
    double z;
};

// Where every clip joint stands at `seconds` into the clip (held at its first and last frames),
// in the clip's own units and axes.
void PoseClipAt(const MotionClip& clip, double seconds, std::vector<ClipPoint>* positions);

// Front: the clip's X to the right and Y up. Side: its Z to the right and Y up.
enum class ClipView : int8_t { Front, Side };

struct ClipPlacement {
    ClipView view = ClipView::Front;
    int32_t framesPerSecond = kDefaultPlaybackRate; // the animation's rate
    double fromSeconds = 0;                         // where in the clip the first frame is
    int32_t firstFrame = 0;
    int32_t lastFrame = 500; // no frame after it is filled
    // The box the performer is fitted into: the first frame's height is 60% of the box's, the
    // path of every frame filled is centred in it.
    Box box{0, 0, kSceneWidth, kSceneHeight};
};

// How many frames the clip fills: one for each 1 / rate seconds from fromSeconds to the clip's
// end, none after lastFrame; 0 when fromSeconds lies past the end.
int32_t ClipFrameCount(const MotionClip& clip, const ClipPlacement& placement);

// The figure the clip becomes: a figure joint for each clip joint and end site, except those that
// stand where another does in every frame (joined to their parent by a link of no length, or at
// the offset of an earlier sibling, neither moved by position channels), and a standard bone for
// each other link.
struct ClipFigure {
    std::vector<int32_t> jointOfClipJoint; // figure joint of each clip joint
    std::vector<int32_t> pointOfJoint;     // clip joint whose position each figure joint takes
    struct Link {
        int32_t jointA;
        int32_t jointB;
        bool head; // from a joint named Head to its end site: drawn as a circle
    };
    std::vector<Link> links;
};
void BuildClipFigure(const MotionClip& clip, ClipFigure* figure);

// Places the clip as a new figure in frames firstFrame onwards, in the lowest joint and bone
// slots that are free in all of them; other figures stay as they are. Each frame's bones are
// measured from its own positions. Returns the frames filled; 0, with a line in `error` and
// nothing changed, when there are none or they have too few free slots.
int32_t PlaceClip(Animation& animation, const MotionClip& clip, const ClipPlacement& placement,
                  std::string* error);
