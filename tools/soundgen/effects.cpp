#include "sounds.h"

#include <cstdint>

using namespace synth;

namespace {

// Effects sit at the same loudness; the music is mixed under them in the game.
constexpr double kEffectPeak = 0.89;
constexpr double kEffectRms = 0.25;

Sound finished(const char* name, const std::vector<Tone>& tones) {
    Sound sound{name, render(tones)};
    normalize(sound.samples, kEffectPeak, kEffectRms);
    return sound;
}

Sound jump() {
    return finished("jump", {square(260, 720, 0.16, 0.25).envelope(0.003, 0.06, 0.5, 0.05)});
}

Sound fastDrop() {
    return finished("fast_drop", {square(880, 140, 0.2).envelope(0.002, 0.05, 0.6, 0.06),
                                  noise(3000, 800, 0.2).gain(0.3).envelope(0.01, 0.05, 0.6, 0.08)});
}

Sound land() {
    return finished("land", {triangle(180, 45, 0.18).envelope(0.002, 0.08, 0.4, 0.08),
                             noise(1800, 300, 0.16).gain(0.6).envelope(0.001, 0.05, 0.2, 0.08)});
}

Sound shot() {
    return finished("shot",
                    {noise(9000, 1500, 0.16).envelope(0.001, 0.04, 0.25, 0.1),
                     square(1400, 180, 0.1, 0.125).gain(0.6).envelope(0.001, 0.03, 0.4, 0.05)});
}

Sound dryClick() {
    return finished(
        "dry_click",
        {metal(12000, 12000, 0.018).envelope(0.0005, 0.01, 0.2, 0.006),
         square(2400, 2000, 0.012).gain(0.4).envelope(0.0005, 0.005, 0.3, 0.005),
         metal(9000, 9000, 0.014).at(0.07).gain(0.7).envelope(0.0005, 0.008, 0.2, 0.005)});
}

Sound reload() {
    return finished("reload",
                    {metal(8000, 8000, 0.025).envelope(0.0005, 0.01, 0.3, 0.01),
                     metal(6000, 6000, 0.03).at(0.09).envelope(0.0005, 0.01, 0.3, 0.01),
                     square(660, 660, 0.06, 0.25).at(0.16).envelope(0.002, 0.02, 0.6, 0.02),
                     square(990, 990, 0.1, 0.25).at(0.22).envelope(0.002, 0.03, 0.6, 0.05)});
}

Sound hit() {
    return finished("hit", {metal(4000, 2000, 0.1).envelope(0.001, 0.03, 0.3, 0.05),
                            square(1600, 700, 0.06, 0.25).gain(0.5)});
}

// The variants differ in length, grain and body so that a row of destroyed
// obstacles doesn't sound like one sample repeated.
Sound explosion(int variant, double length, double grainHz, double bodyHz, std::uint16_t seed) {
    const std::string name = "explosion_" + std::to_string(variant);
    return finished(
        name.c_str(),
        {noise(grainHz, 120, length).withSeed(seed).envelope(0.002, 0.15, 0.5, length * 0.6),
         triangle(bodyHz, 35, length * 0.8).gain(0.8).envelope(0.002, 0.1, 0.5, length * 0.4),
         noise(6000, 2000, 0.08).withSeed(seed ^ 0x5a5a).gain(0.5)});
}

Sound death() {
    return finished(
        "death",
        {noise(3000, 400, 0.3).gain(0.5).envelope(0.001, 0.08, 0.3, 0.15),
         square(659, 659, 0.16).gain(0.7).envelope(0.003, 0.04, 0.6, 0.04),
         square(622, 622, 0.16).at(0.18).gain(0.7).envelope(0.003, 0.04, 0.6, 0.04),
         square(587, 587, 0.16).at(0.36).gain(0.7).envelope(0.003, 0.04, 0.6, 0.04),
         square(554, 277, 0.8).at(0.54).gain(0.7).vibrato(6, 0.4).envelope(0.003, 0.1, 0.7, 0.3)});
}

Sound dash() {
    return finished("dash",
                    {noise(600, 7000, 0.32).gain(0.7).envelope(0.02, 0.1, 0.6, 0.15),
                     square(220, 1100, 0.22, 0.125).gain(0.5).envelope(0.002, 0.08, 0.5, 0.08)});
}

Sound slowMotion(const char* name, double fromHz, double toHz, double length) {
    return finished(
        name, {square(fromHz, toHz, length)
                   .gain(0.7)
                   .vibrato(9, 0.3)
                   .envelope(0.005, 0.1, 0.7, length * 0.35),
               triangle(fromHz / 2, toHz / 2, length).envelope(0.005, 0.1, 0.7, length * 0.35)});
}

Sound saucerApproach() {
    return finished(
        "saucer_approach",
        {square(1100, 380, 1.7, 0.25).gain(0.6).vibrato(7, 2.5).envelope(0.15, 0.3, 0.8, 0.5),
         triangle(550, 190, 1.7).gain(0.8).vibrato(7, 2.5).envelope(0.15, 0.3, 0.8, 0.5),
         noise(400, 200, 1.7).gain(0.15).envelope(0.3, 0.3, 0.8, 0.5)});
}

Sound saucerHit() {
    return finished(
        "saucer_hit",
        {metal(3000, 1500, 0.2).envelope(0.001, 0.05, 0.3, 0.1),
         square(420, 180, 0.25).gain(0.7).vibrato(30, 1.0).envelope(0.002, 0.05, 0.6, 0.1)});
}

Sound ring() {
    std::vector<Tone> tones{triangle(300, 900, 0.3).gain(0.6).envelope(0.01, 0.1, 0.6, 0.1)};
    const double notes[] = {523, 659, 784, 1047, 1319};
    for (int i = 0; i < 5; ++i)
        tones.push_back(
            square(notes[i], notes[i], 0.05, 0.25).at(0.045 * i).envelope(0.002, 0.02, 0.6, 0.02));
    return finished("ring", tones);
}

Sound fan() {
    std::vector<Tone> tones;
    for (int i = 0; i < 3; ++i)
        tones.push_back(square(900 + 200 * i, 300 + 60 * i, 0.09, 0.25)
                            .at(0.06 * i)
                            .envelope(0.002, 0.03, 0.5, 0.04));
    return finished("fan", tones);
}

Sound rain() {
    std::vector<Tone> tones;
    for (int i = 0; i < 6; ++i) {
        const double pitch = 1800 - 200 * i;
        tones.push_back(
            square(pitch, pitch * 0.8, 0.04, 0.25).at(0.05 * i).envelope(0.001, 0.015, 0.5, 0.02));
        tones.push_back(noise(5000, 3000, 0.03)
                            .at(0.05 * i + 0.02)
                            .gain(0.3)
                            .withSeed(static_cast<std::uint16_t>(0x311 + i)));
    }
    return finished("rain", tones);
}

Sound headLaunch() {
    return finished(
        "head_launch",
        {square(110, 220, 0.5).gain(0.7).vibrato(12, 0.8).envelope(0.02, 0.1, 0.7, 0.15),
         triangle(220, 440, 0.5).envelope(0.02, 0.1, 0.7, 0.15),
         noise(300, 1500, 0.4).gain(0.2).envelope(0.05, 0.1, 0.7, 0.15)});
}

Sound victory() {
    std::vector<Tone> tones{triangle(262, 262, 0.6).gain(0.8).envelope(0.005, 0.1, 0.7, 0.2)};
    const double notes[] = {523, 659, 784};
    for (int i = 0; i < 3; ++i)
        tones.push_back(square(notes[i], notes[i], 0.09)
                            .at(0.09 * i)
                            .gain(0.7)
                            .envelope(0.002, 0.03, 0.6, 0.02));
    tones.push_back(square(1047, 1047, 0.35)
                        .at(0.27)
                        .gain(0.7)
                        .vibrato(6, 0.25)
                        .envelope(0.002, 0.05, 0.7, 0.15));
    return finished("victory", tones);
}

Sound button() {
    return finished("button",
                    {square(1200, 1200, 0.035).envelope(0.001, 0.01, 0.5, 0.01),
                     square(1800, 1800, 0.05, 0.25).at(0.03).envelope(0.001, 0.015, 0.5, 0.02)});
}

Sound upgrade() {
    return finished("upgrade",
                    {square(988, 988, 0.08).envelope(0.001, 0.02, 0.7, 0.01),
                     square(1319, 1319, 0.35).at(0.08).envelope(0.001, 0.05, 0.6, 0.25)});
}

} // namespace

std::vector<Sound> effects() {
    return {jump(),
            fastDrop(),
            land(),
            shot(),
            dryClick(),
            reload(),
            hit(),
            explosion(1, 0.75, 3200, 120, 0x1234),
            explosion(2, 0.9, 2600, 95, 0x2b5f),
            explosion(3, 0.65, 4000, 140, 0x0e71),
            death(),
            dash(),
            slowMotion("slow_on", 1400, 120, 0.7),
            slowMotion("slow_off", 120, 1400, 0.55),
            saucerApproach(),
            saucerHit(),
            ring(),
            fan(),
            rain(),
            headLaunch(),
            victory(),
            button(),
            upgrade()};
}
