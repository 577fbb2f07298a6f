#include "soundoutput.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>

namespace {

// A stolen or stopped voice fades out over 5 ms instead of being cut.
constexpr float kVoiceFadeStep = 1.0f / (0.005f * SoundOutput::kSampleRate);
// Music changes cross-fade over 100 ms.
constexpr float kCrossFadeStep = 1.0f / (0.1f * SoundOutput::kSampleRate);
// Every change of the music level (mute, pause, slow motion, its volume)
// takes 25 ms, however far it goes.
constexpr float kLevelRampSamples = 0.025f * SoundOutput::kSampleRate;
// After a peak the limiter gives back its reduction over 200 ms.
constexpr float kLimiterRelease = 1.0f / (0.2f * SoundOutput::kSampleRate);

SoundOutput* g_openOutput = nullptr;

// SDL keeps at most this many devices open, numbered from 1.
constexpr SDL_AudioDeviceID kDeviceIds = 16;

// SDL_mixer keeps the id of the device it opened to itself: it is the one
// that plays.
SDL_AudioDeviceID playingDevice() {
    for (SDL_AudioDeviceID id = 1; id <= kDeviceIds; ++id)
        if (SDL_GetAudioDeviceStatus(id) == SDL_AUDIO_PLAYING)
            return id;
    return 0;
}

float approach(float value, float target, float step) {
    return value < target ? std::min(target, value + step) : std::max(target, value - step);
}

float* floats(void* stream) {
    return static_cast<float*>(stream);
}

int floatCount(int bytes) {
    return bytes / int(sizeof(float));
}

} // namespace

// The format is fixed (no changes allowed), so SDL converts for whatever
// device there is and loaded clips stay valid when the output is reopened.
bool SoundOutput::open() {
    if (m_open || g_openOutput)
        return m_open;
    // SDL's audio brings its event loop, which would take SIGINT and SIGTERM
    // away from the game: they must still end it.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    if (Mix_OpenAudioDevice(kSampleRate, AUDIO_F32SYS, 1, kBufferSamples, nullptr, 0) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    Mix_AllocateChannels(kChannels);
    m_device = playingDevice();
    g_openOutput = this;
    m_open = true;
    return true;
}

// The audio subsystem is shut down as well: a restarted sound server is only
// found again by a fresh start of it.
void SoundOutput::close() {
    if (!m_open)
        return;
    Mix_HaltChannel(-1);
    Mix_HookMusic(nullptr, nullptr);
    Mix_SetPostMix(nullptr, nullptr);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    g_openOutput = nullptr;
    m_open = false;
}

void SoundOutput::start(const std::array<const Mix_Chunk*, kMusicTracks>& tracks,
                        const std::array<bool, kMusicTracks>& loops) {
    m_tracks = tracks;
    m_loops = loops;
    Mix_HookMusic(mixMusic, this);
    Mix_SetPostMix(limit, this);
}

// A lost device keeps SDL's audio thread calling the mix, into nothing; only
// its status tells (a device whose id wasn't found isn't watched).
bool SoundOutput::isLost() const {
    return m_open && m_device != 0 && SDL_GetAudioDeviceStatus(m_device) != SDL_AUDIO_PLAYING;
}

void SoundOutput::play(Mix_Chunk* clip, int tag) {
    if (liveVoices(tag) >= kMaxCopies)
        fadeOut(oldestLive(tag));
    else if (liveVoices(-1) >= kMaxVoices)
        fadeOut(oldestLive(-1));
    const int channel = quietestChannel();
    // Halting drops the channel's effects too; it is silent or free by now.
    Mix_HaltChannel(channel);
    Voice& voice = m_voices[channel];
    voice.tag = tag;
    voice.serial = ++m_serial;
    voice.stopping.store(false);
    voice.gain.store(1.0f);
    voice.level = &m_effectsLevel;
    Mix_RegisterEffect(channel, fadeVoice, nullptr, &voice);
    Mix_PlayChannel(channel, clip, 0);
}

void SoundOutput::fadeOutEffects() {
    for (int channel = 0; channel < kChannels; ++channel)
        fadeOut(channel);
}

bool SoundOutput::isLive(int channel) const {
    return Mix_Playing(channel) && !m_voices[channel].stopping.load();
}

// Live voices with the tag (any with -1).
int SoundOutput::liveVoices(int tag) const {
    int count = 0;
    for (int channel = 0; channel < kChannels; ++channel)
        count += isLive(channel) && (tag < 0 || m_voices[channel].tag == tag);
    return count;
}

// The longest sounding live voice with the tag (any with -1); -1 when none.
int SoundOutput::oldestLive(int tag) const {
    int oldest = -1;
    for (int channel = 0; channel < kChannels; ++channel) {
        const Voice& voice = m_voices[channel];
        if (isLive(channel) && (tag < 0 || voice.tag == tag) &&
            (oldest < 0 || voice.serial < m_voices[oldest].serial))
            oldest = channel;
    }
    return oldest;
}

// A free channel, else the fading one closest to silence. With at most
// kMaxVoices - 1 live voices left there is always one of either.
int SoundOutput::quietestChannel() const {
    int quietest = -1;
    for (int channel = 0; channel < kChannels; ++channel) {
        if (!Mix_Playing(channel))
            return channel;
        if (!isLive(channel) &&
            (quietest < 0 || m_voices[channel].gain.load() < m_voices[quietest].gain.load()))
            quietest = channel;
    }
    return quietest;
}

void SoundOutput::fadeOut(int channel) {
    m_voices[channel].stopping.store(true);
}

// Applies the effects level and, once stopping, the fade to the voice's samples.
void SoundOutput::fadeVoice(int, void* stream, int length, void* data) {
    Voice& voice = *static_cast<Voice*>(data);
    const float level = voice.level->load();
    const bool stopping = voice.stopping.load();
    float gain = voice.gain.load();
    float* samples = floats(stream);
    for (int i = 0; i < floatCount(length); ++i) {
        if (stopping)
            gain = std::max(0.0f, gain - kVoiceFadeStep);
        samples[i] *= level * gain;
    }
    voice.gain.store(gain);
}

// SDL_mixer hands the music hook a silent buffer before it adds the voices.
void SoundOutput::mixMusic(void* output, quint8* stream, int length) {
    SoundOutput& self = *static_cast<SoundOutput*>(output);
    const int wanted = self.m_wantedTrack.load();
    if (wanted != self.m_decks[0].track) {
        self.m_decks[1] = self.m_decks[0];
        self.m_decks[0] = Deck{wanted, 0, 0.0f};
    }
    float* samples = floats(stream);
    for (int i = 0; i < floatCount(length); ++i)
        samples[i] = self.nextMusicSample();
}

// Held music, once faded out, stands still: it continues from where it was.
float SoundOutput::nextMusicSample() {
    const float target = m_musicHeld.load(std::memory_order_relaxed)
                             ? 0.0f
                             : m_musicLevel.load(std::memory_order_relaxed);
    if (target != m_levelTarget) {
        m_levelTarget = target;
        m_levelStep = std::abs(target - m_level) / kLevelRampSamples;
    }
    m_level = approach(m_level, target, m_levelStep);
    if (m_level == 0.0f && target == 0.0f)
        return 0.0f;
    float sum = 0.0f;
    for (std::size_t d = 0; d < m_decks.size(); ++d) {
        Deck& deck = m_decks[d];
        deck.gain = approach(deck.gain, d == 0 ? 1.0f : 0.0f, kCrossFadeStep);
        const Mix_Chunk* track = m_tracks[deck.track];
        const qsizetype length = track ? track->alen / sizeof(float) : 0;
        if (deck.position >= length)
            continue;
        sum += deck.gain * reinterpret_cast<const float*>(track->abuf)[deck.position];
        if (++deck.position == length && m_loops[deck.track])
            deck.position = 0;
    }
    return sum * m_level;
}

// Instant attack, slow release: a peak over the ceiling is turned down in the
// very sample it appears, so nothing ever reaches full scale.
void SoundOutput::limit(void* output, quint8* stream, int length) {
    SoundOutput& self = *static_cast<SoundOutput*>(output);
    float* samples = floats(stream);
    for (int i = 0; i < floatCount(length); ++i) {
        const float peak = std::abs(samples[i]);
        if (peak * self.m_limiterGain > kCeiling)
            self.m_limiterGain = kCeiling / peak;
        samples[i] *= self.m_limiterGain;
        self.m_limiterGain = std::min(1.0f, self.m_limiterGain + kLimiterRelease);
    }
}
