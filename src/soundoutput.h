#pragma once

#include <QtGlobal>

#include <array>
#include <atomic>

struct Mix_Chunk;

// The SDL2_mixer output and everything that runs on SDL's audio thread: the
// music, the fades of the effect voices and a limiter over the whole mix. The
// GUI thread only sets targets; every change of level is ramped sample by
// sample on the audio thread, so nothing steps and a stalled GUI thread never
// empties the output.
//
// The mix is 32-bit float, which SDL sums without clamping, so the limiter sees
// the true peaks. Only one output can be open in a process: a second one stays
// closed.
class SoundOutput {
public:
    static constexpr int kSampleRate = 22050;
    // Samples per callback: about 23 ms, the delay between an event and its sound.
    static constexpr int kBufferSamples = 512;
    static constexpr int kMusicTracks = 4; // the board's Music values, None included
    // No sample leaves the mix louder than -1 dBFS.
    static constexpr float kCeiling = 0.891f;

    SoundOutput() = default;
    ~SoundOutput() { close(); }
    SoundOutput(const SoundOutput&) = delete;
    SoundOutput& operator=(const SoundOutput&) = delete;

    // Opens the default device; false when there is none or another output holds it.
    bool open();
    void close();
    bool isOpen() const { return m_open; }
    // Starts the music and the limiter on the audio thread, with the loaded tracks
    // (indexed by the board's Music; nullptr where there is none).
    void start(const std::array<const Mix_Chunk*, kMusicTracks>& tracks,
               const std::array<bool, kMusicTracks>& loops);
    // The device went away (unplugged, or the sound server stopped).
    bool isLost() const;

    // Cross-fades to the track (0 is silence).
    void setTrack(int track) { m_wantedTrack.store(track); }
    void setMusicLevel(float level) { m_musicLevel.store(level); }
    // A held track fades out and keeps its place.
    void setMusicHeld(bool held) { m_musicHeld.store(held); }

    void setEffectsLevel(float level) { m_effectsLevel.store(level); }
    // Plays a clip on a voice of its own, tagged with what it is. A clip already
    // sounding kMaxCopies times, or any clip with every voice busy, first fades
    // out the oldest such voice.
    void play(Mix_Chunk* clip, int tag);
    void fadeOutEffects();

private:
    static constexpr int kMaxVoices = 8;
    static constexpr int kMaxCopies = 2;
    // Fading voices need channels of their own while the new clip starts.
    static constexpr int kChannels = kMaxVoices + 4;

    struct Voice {
        int tag = -1;
        quint64 serial = 0; // when it started: the oldest gives way first
        std::atomic<bool> stopping{false};
        std::atomic<float> gain{1.0f}; // of its fade, only written by the audio thread
        const std::atomic<float>* level = nullptr;
    };

    // Where a music track is and how loud it is in the cross-fade.
    struct Deck {
        int track = 0;
        qsizetype position = 0;
        float gain = 0.0f;
    };

    static void fadeVoice(int channel, void* stream, int length, void* voice);
    static void mixMusic(void* output, quint8* stream, int length);
    static void limit(void* output, quint8* stream, int length);

    bool isLive(int channel) const;
    int liveVoices(int tag) const;
    int oldestLive(int tag) const;
    int quietestChannel() const;
    void fadeOut(int channel);
    float nextMusicSample();

    bool m_open = false;
    quint64 m_serial = 0;
    std::array<Voice, kChannels> m_voices;
    std::atomic<float> m_effectsLevel{1.0f};

    // Set before the audio thread starts, read only by it afterwards.
    std::array<const Mix_Chunk*, kMusicTracks> m_tracks{};
    std::array<bool, kMusicTracks> m_loops{};
    std::atomic<int> m_wantedTrack{0};
    std::atomic<float> m_musicLevel{0.0f};
    std::atomic<bool> m_musicHeld{false};

    // Audio thread only.
    std::array<Deck, 2> m_decks; // the current track, and the one fading out
    float m_level = 0.0f;
    float m_levelTarget = 0.0f;
    float m_levelStep = 0.0f;
    float m_limiterGain = 1.0f;

    quint32 m_device = 0; // SDL's id of the open device
};
