// Finding a figure and the operations on one figure of a frame.
#include "model/figures.h"
