// Synthesises the game's whole sound set and writes it into one directory:
//   soundgen <output directory>
// tools/make-sounds.sh builds and runs it.
#include "sounds.h"

#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: soundgen <output directory>\n";
        return 2;
    }
    std::vector<Sound> all = effects();
    for (Sound& sound : music())
        all.push_back(std::move(sound));
    for (const Sound& sound : all) {
        const std::string path = std::string(argv[1]) + '/' + sound.name + ".wav";
        if (!synth::writeWav(path, sound.samples)) {
            std::cerr << "soundgen: cannot write " << path << '\n';
            return 1;
        }
    }
    std::cout << "soundgen: wrote " << all.size() << " sounds into " << argv[1] << '\n';
    return 0;
}
