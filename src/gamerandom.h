#pragma once

#include <QtGlobal>

#include <random>

// The random draws of a run: one 64-bit Mersenne Twister, whose output the C++
// standard fixes exactly, and bounded draws mapped by hand (not by the
// standard library's distributions, which differ between libraries), so a
// seed gives the same draws on every machine.
class GameRandom {
public:
    explicit GameRandom(quint64 seed = entropySeed()) { reseed(seed); }

    static quint64 entropySeed();
    // Where objects built on their own (outside a window) draw from.
    static GameRandom& unseeded();

    void reseed(quint64 seed);
    quint64 seed() const { return m_seed; }

    // Uniform in low .. high, both included.
    int bounded(int low, int high);
    // Uniform in [0, 1), in steps of 2^-53.
    double generateDouble();

private:
    std::mt19937_64 m_engine;
    quint64 m_seed = 0;
};
