#include "support/SystemSoundOutput.h"

#include <algorithm>
#include <canberra.h>
#include <cmath>
#include <numbers>
#include <pulse/simple.h>
#include <utility>

namespace marrowlight {

namespace {

// Every event plays under this one id, so a new event cuts off the last one.
constexpr std::uint32_t EventSoundId = 1;
// Guards against absurd requests holding the GUI thread.
constexpr int LongestToneMs = 10'000;
constexpr int RampMs = 5;
constexpr double Amplitude = 0.3 * 32767;

} // namespace

std::string SoundEventId(const std::string& alias) {
    static const std::pair<const char*, const char*> table[] = {
        {"SystemAsterisk", "dialog-information"}, {"SystemExclamation", "dialog-warning"},
        {"SystemExit", "service-logout"},         {"SystemHand", "dialog-error"},
        {"SystemQuestion", "dialog-question"},    {"SystemStart", "service-login"},
    };
    for (const auto& [name, id] : table) {
        if (alias == name)
            return id;
    }
    return "bell";
}

std::vector<std::int16_t> SineTone(int frequencyHz, int durationMs, int sampleRate) {
    if (frequencyHz <= 0 || durationMs <= 0 || sampleRate <= 0)
        return {};
    const int ms = std::min(durationMs, LongestToneMs);
    const auto count = static_cast<std::size_t>(static_cast<long long>(sampleRate) * ms / 1000);
    const std::size_t ramp = std::min<std::size_t>(count / 2, sampleRate * RampMs / 1000);
    const double step = 2.0 * std::numbers::pi * frequencyHz / sampleRate;
    std::vector<std::int16_t> samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        double gain = 1.0;
        if (ramp > 0 && i < ramp)
            gain = static_cast<double>(i) / ramp;
        else if (ramp > 0 && count - 1 - i < ramp)
            gain = static_cast<double>(count - 1 - i) / ramp;
        samples[i] = static_cast<std::int16_t>(std::lround(Amplitude * gain * std::sin(step * i)));
    }
    return samples;
}

namespace {

// The sound server, asked for once a sound is wanted.
class ServerSoundDevice : public SoundDevice {
  public:
    ServerSoundDevice() = default;
    ~ServerSoundDevice() override {
        if (context_)
            ca_context_destroy(context_);
    }
    ServerSoundDevice(const ServerSoundDevice&) = delete;
    ServerSoundDevice& operator=(const ServerSoundDevice&) = delete;

    EventResult PlayEventId(const std::string& id) override {
        ::ca_context* ctx = Context();
        if (!ctx)
            return EventResult::Failed;
        ca_context_cancel(ctx, EventSoundId);
        const int result =
            ca_context_play(ctx, EventSoundId, CA_PROP_EVENT_ID, id.c_str(), nullptr);
        return result == CA_SUCCESS          ? EventResult::Played
               : result == CA_ERROR_NOTFOUND ? EventResult::NotFound
                                             : EventResult::Failed;
    }

    void PlaySamples(const std::vector<std::int16_t>& samples) override {
        pa_sample_spec format{};
        format.format = PA_SAMPLE_S16LE;
        format.rate = SystemSoundOutput::SampleRate;
        format.channels = 1;
        int error = 0;
        pa_simple* stream = pa_simple_new(nullptr, "Marrowlight", PA_STREAM_PLAYBACK, nullptr,
                                          "alert tone", &format, nullptr, nullptr, &error);
        if (!stream)
            return;
        if (pa_simple_write(stream, samples.data(), samples.size() * sizeof(std::int16_t),
                            &error) == 0)
            pa_simple_drain(stream, &error);
        pa_simple_free(stream);
    }

  private:
    ::ca_context* Context() {
        if (!context_) {
            if (ca_context_create(&context_) != CA_SUCCESS) {
                context_ = nullptr; // tried again at the next event
                return nullptr;
            }
            ca_context_change_props(context_, CA_PROP_APPLICATION_NAME, "Marrowlight", nullptr);
        }
        return context_;
    }

    ::ca_context* context_ = nullptr;
};

} // namespace

SystemSoundOutput::SystemSoundOutput() : device_(std::make_unique<ServerSoundDevice>()) {}

SystemSoundOutput::SystemSoundOutput(std::unique_ptr<SoundDevice> device)
    : device_(std::move(device)) {}

SystemSoundOutput::~SystemSoundOutput() = default;

void SystemSoundOutput::PlayEvent(const std::string& alias) {
    const std::string id = SoundEventId(alias);
    // A theme without this event still gives the default sound.
    if (device_->PlayEventId(id) == SoundDevice::EventResult::NotFound && id != "bell")
        device_->PlayEventId("bell");
}

void SystemSoundOutput::PlayTone(int frequencyHz, int durationMs) {
    const std::vector<std::int16_t> samples = SineTone(frequencyHz, durationMs, SampleRate);
    if (!samples.empty())
        device_->PlaySamples(samples);
}

} // namespace marrowlight
