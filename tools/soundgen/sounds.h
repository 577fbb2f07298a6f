#pragma once

#include "synth.h"

#include <string>
#include <vector>

// One finished sound and the file name it is saved under (without ".wav").
struct Sound {
    std::string name;
    synth::Samples samples;
};

// The short effects the game plays on its events.
std::vector<Sound> effects();

// The two music loops and the victory jingle.
std::vector<Sound> music();
