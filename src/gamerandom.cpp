#include "gamerandom.h"

#include <QRandomGenerator>

#include <limits>

namespace {
constexpr int kDoubleBits = 53;
constexpr double kDoubleUnit = 1.0 / double(quint64(1) << kDoubleBits);
} // namespace

quint64 GameRandom::entropySeed() {
    return QRandomGenerator::system()->generate64();
}

GameRandom& GameRandom::unseeded() {
    static GameRandom random;
    return random;
}

void GameRandom::reseed(quint64 seed) {
    m_seed = seed;
    m_engine.seed(seed);
}

// Rejection keeps every value equally likely: draws from the incomplete last
// band of the 64-bit range are thrown away.
int GameRandom::bounded(int low, int high) {
    const quint64 span = quint64(qint64(high) - qint64(low)) + 1;
    const quint64 limit =
        std::numeric_limits<quint64>::max() - std::numeric_limits<quint64>::max() % span;
    quint64 draw = m_engine();
    while (draw >= limit)
        draw = m_engine();
    return int(qint64(low) + qint64(draw % span));
}

double GameRandom::generateDouble() {
    return double(m_engine() >> (64 - kDoubleBits)) * kDoubleUnit;
}
