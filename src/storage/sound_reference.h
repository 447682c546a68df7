// How the animation file names its sound: relative to the animation's folder where the sound lies
// in that folder or below it, absolute otherwise, so that a folder moved or copied with its sound
// keeps it.
#pragma once

#include <string>

// The reference the animation at animationPath keeps for the sound at soundPath.
std::string SoundReferenceFor(const std::string& soundPath, const std::string& animationPath);
// The path of the sound that the animation at animationPath names by reference.
std::string SoundPathFor(const std::string& reference, const std::string& animationPath);
