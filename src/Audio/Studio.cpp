// The audio layer over OpenAL Soft: banks and their events, instances on virtual channels, the
// sharing of real sources among the loudest channels, and the streaming of long sounds.
#include "Audio/Studio.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "Audio/BankFile.h"
#include "Audio/SampleFile.h"

namespace audio {

const char* ResultText(Result result) {
  switch (result) {
  case Result::Ok:
    return "success";
  case Result::FileNotFound:
    return "file not found";
  case Result::MalformedBank:
    return "malformed bank";
  case Result::EventNotFound:
    return "event not found";
  case Result::InvalidHandle:
    return "invalid handle";
  case Result::NoDevice:
    return "no output device";
  case Result::ParameterNotFound:
    return "parameter not found";
  case Result::BadSoundFile:
    return "sound file cannot be decoded";
  case Result::AlreadyLoaded:
    return "bank already loaded";
  case Result::NotInitialized:
    return "not initialised";
  case Result::NoFreeChannel:
    return "no free channel";
  case Result::HeaderMismatch:
    return "header version mismatch";
  case Result::InvalidArgument:
    return "invalid argument";
  }
  return "unknown result";
}

namespace {

using Clock = std::chrono::steady_clock;

// The sound data of one event, shared by its instances.
struct Description {
  std::string path;
  std::string file; // the sound file, as the bank's folder and the event's file name
  EventSpec recipe;
  float busVolume = 1;
  bool loaded = false;
  Result failure = Result::Ok; // a remembered load failure
  SampleFormat format;
  ALuint buffer = 0; // the whole decoded sound of an effect
};

struct Parameter {
  float target = 0;
  float current = 0;
};

// A queued buffer of a stream and where in the file it starts.
struct Block {
  ALuint buffer;
  int64_t start;
  int64_t frames;
};

struct Instance {
  bool live = false;
  bool released = false;
  uint32_t generation = 1;
  uint32_t description = 0;
  PlaybackState state = PlaybackState::Stopped;
  bool paused = false;
  float volume = 1;
  double position = 0;  // frames into the sound
  float fade = 1;       // the fade-out of a stop, 1 down to 0
  bool restart = false; // started since the last update
  bool seek = false;    // the position was set since the last update
  std::vector<Parameter> parameters;
  int voice = -1;
  // Streams decode through their own file.
  std::unique_ptr<SampleFile> stream;
  bool streamBroken = false;
  int64_t decodeAt = 0;
  bool decodedToEnd = false;
  std::deque<Block> queued;
};

struct Voice {
  ALuint source = 0;
  std::vector<ALuint> freeBuffers; // this voice's stream buffers not in its queue
  int instance = -1;
};

struct BankRecord {
  std::string path;
};

struct PathRecord {
  std::string id;
  std::string bank;
};

struct EventRecord {
  EventSpec recipe;
  std::string folder;
};

ALenum FormatOf(int channels) {
  return channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16;
}

} // namespace

struct StudioState {
  AdvancedSettings settings;
  bool initialized = false;
  int maxChannels = 0;
  ALCdevice* device = nullptr;
  ALCcontext* context = nullptr;
  int deviceRate = 0;
  LPALDEFERUPDATESSOFT deferUpdates = nullptr;
  LPALPROCESSUPDATESSOFT processUpdates = nullptr;
  LPALCGETINTEGER64VSOFT getInteger64 = nullptr;

  std::vector<BankRecord> banks;
  std::map<std::string, float> buses;
  std::map<std::string, PathRecord> paths;
  std::map<std::string, EventRecord> events;
  std::vector<Description> descriptions;
  std::map<std::string, uint32_t> descriptionByPath;
  std::vector<Instance> instances;
  std::vector<Voice> voices;
  Clock::time_point lastUpdate;
  std::set<std::string> reported;
  std::vector<int16_t> pcm; // scratch for decoding

  // ---- reports ----

  // Prints one line about a data problem, once for each subject (a file or an event path).
  void Report(const std::string& subject, const std::string& problem) {
    if (!reported.insert(subject + "\n" + problem).second)
      return;
    std::fprintf(stderr, "Audio: %s: %s\n", subject.c_str(), problem.c_str());
    std::fflush(stderr);
  }

  // ---- lookups ----

  Instance* Find(uint32_t index, uint32_t generation) {
    if (index >= instances.size())
      return nullptr;
    Instance& in = instances[index];
    return in.live && !in.released && in.generation == generation ? &in : nullptr;
  }

  // The live instance a handle names, or null.
  static Instance* Resolve(Studio* studio, uint32_t index, uint32_t generation) {
    return studio ? studio->state->Find(index, generation) : nullptr;
  }

  const Description& DescriptionOf(const Instance& in) const {
    return descriptions[in.description];
  }

  // ---- what an instance sounds like now ----

  float ParameterShare(const ParameterSpec& p, float value) const {
    return (value - p.minimum) / (p.maximum - p.minimum);
  }

  float Pitch(const Instance& in) const {
    const EventSpec& recipe = DescriptionOf(in).recipe;
    float pitch = 1;
    for (size_t i = 0; i < recipe.parameters.size(); ++i) {
      const ParameterSpec& p = recipe.parameters[i];
      if (p.effect == ParameterEffect::Pitch)
        pitch *= p.from + (p.to - p.from) * ParameterShare(p, in.parameters[i].current);
    }
    return pitch;
  }

  float Gain(const Instance& in) const {
    const Description& d = DescriptionOf(in);
    float gain = in.volume * d.recipe.volume * d.busVolume * in.fade;
    for (size_t i = 0; i < d.recipe.parameters.size(); ++i) {
      const ParameterSpec& p = d.recipe.parameters[i];
      if (p.effect == ParameterEffect::Volume)
        gain *= p.from + (p.to - p.from) * ParameterShare(p, in.parameters[i].current);
    }
    return std::min(gain, kMaxVolume);
  }

  int64_t LoopStart(const Instance& in) const {
    const Description& d = DescriptionOf(in);
    if (!d.recipe.loop)
      return 0;
    double share = 0;
    for (size_t i = 0; i < d.recipe.parameters.size(); ++i)
      if (d.recipe.parameters[i].effect == ParameterEffect::LoopStart)
        share = std::clamp(in.parameters[i].current, 0.0f, 1.0f);
    auto start = static_cast<int64_t>(share * static_cast<double>(d.format.frames));
    return std::clamp<int64_t>(start, 0, d.format.frames - 1);
  }

  // ---- sample data ----

  Result LoadSamples(Description& d) {
    if (d.loaded)
      return Result::Ok;
    if (d.failure != Result::Ok)
      return d.failure;
    std::string problem, damage;
    Result result;
    if (d.recipe.stream || !device) {
      // A stream meets a cut or damaged stretch only when it gets there, maybe minutes in: the
      // file's end is checked now, so that the report comes at once and the loop wraps where
      // the sound really ends.
      SampleFile file;
      result = file.Open(d.file, problem);
      if (result == Result::Ok)
        result = file.CheckLength(damage);
      if (result == Result::Ok)
        d.format = file.Format();
      else if (problem.empty())
        problem = "the file cannot be decoded: its samples are damaged";
    } else {
      result = DecodeWhole(d.file, d.format, pcm, problem, damage);
      if (result == Result::Ok) {
        alGenBuffers(1, &d.buffer);
        alBufferData(d.buffer, FormatOf(d.format.channels), pcm.data(),
                     static_cast<ALsizei>(pcm.size() * sizeof(int16_t)), d.format.rate);
        if (alGetError() != AL_NO_ERROR) {
          problem = "the mixer refused its samples";
          result = Result::BadSoundFile;
        }
      }
    }
    if (result != Result::Ok) {
      d.failure = result;
      Report(d.file, problem + " (the event " + d.path + " stays silent)");
      return result;
    }
    if (!damage.empty())
      Report(d.file, damage + "; " + Consequence(d));
    d.loaded = true;
    return Result::Ok;
  }

  // What a player hears of a sound that ends before its file says it does. A looping sound
  // (the music) loops the part that decodes, so a level keeps its music; any other stops there.
  static std::string Consequence(const Description& d) {
    return d.recipe.loop ? "the event " + d.path + " loops what decodes"
                         : "the event " + d.path + " stops where the decoding stops";
  }

  // A stream whose file ends (or fails to decode) at `end`, before the length found when it was
  // loaded: the file changed or is damaged past its last block. Reported once; from then on
  // every instance takes `end` as the sound's length.
  void StreamEndsEarly(Instance& in, int64_t end) {
    Description& d = descriptions[in.description];
    std::string error = in.stream->DecodeError();
    Report(d.file, "decoding stops at " + SecondsText(end, d.format.rate) + " of " +
                       SecondsText(d.format.frames, d.format.rate) +
                       (error.empty() ? " (the file ends there)" : " (" + error + ")") + "; " +
                       Consequence(d));
    d.format.frames = std::max<int64_t>(end, 1);
  }

  // ---- real sources ----

  // Where a real voice has got to in the sound.
  double LivePosition(const Instance& in) const {
    if (in.voice < 0 || in.restart || in.seek)
      return in.position;
    const Voice& v = voices[in.voice];
    ALint offset = 0;
    alGetSourcei(v.source, AL_SAMPLE_OFFSET, &offset);
    if (!DescriptionOf(in).recipe.stream)
      return offset;
    int64_t left = offset;
    for (const Block& b : in.queued) {
      if (left < b.frames)
        return static_cast<double>(b.start + left);
      left -= b.frames;
    }
    return in.queued.empty()
               ? in.position
               : static_cast<double>(in.queued.back().start + in.queued.back().frames);
  }

  void DetachStream(Instance& in, Voice& v) {
    alSourceStop(v.source);
    alSourcei(v.source, AL_BUFFER, 0);
    for (const Block& b : in.queued)
      v.freeBuffers.push_back(b.buffer);
    in.queued.clear();
  }

  // Decodes and queues blocks until the voice has no free buffer or the sound has ended.
  void FillStream(Instance& in, Voice& v) {
    const Description& d = DescriptionOf(in);
    int rewinds = 0; // a damaged loop region must not spin for ever
    while (!v.freeBuffers.empty() && !in.decodedToEnd) {
      int64_t length = d.format.frames;
      if (in.decodeAt >= length) {
        if (!d.recipe.loop || ++rewinds > 2) {
          in.decodedToEnd = true;
          break;
        }
        if (!SeekStream(in, LoopStart(in))) {
          in.decodedToEnd = true;
          break;
        }
      }
      int64_t at = in.decodeAt;
      int64_t want = std::min<int64_t>(settings.streamBlockFrames, length - at);
      int64_t got = in.stream->Read(want, pcm);
      if (got < want)
        StreamEndsEarly(in, at + std::max<int64_t>(got, 0));
      if (got <= 0) {
        in.decodeAt = d.format.frames;
        continue;
      }
      ALuint buffer = v.freeBuffers.back();
      v.freeBuffers.pop_back();
      alBufferData(buffer, FormatOf(d.format.channels), pcm.data(),
                   static_cast<ALsizei>(pcm.size() * sizeof(int16_t)), d.format.rate);
      alSourceQueueBuffers(v.source, 1, &buffer);
      in.queued.push_back({buffer, at, got});
      in.decodeAt = at + got;
    }
  }

  // Moves a stream's decoder; one that failed may refuse to seek, so it is opened afresh.
  bool SeekStream(Instance& in, int64_t frame) {
    in.decodeAt = frame;
    if (in.stream->Seek(frame))
      return true;
    std::string problem;
    return in.stream->Open(DescriptionOf(in).file, problem) == Result::Ok && in.stream->Seek(frame);
  }

  // Opens a stream's own decoder; a failure is reported once and leaves the instance virtual.
  bool OpenStream(Instance& in) {
    if (in.stream)
      return true;
    if (in.streamBroken)
      return false;
    const Description& d = DescriptionOf(in);
    auto file = std::make_unique<SampleFile>();
    std::string problem;
    if (file->Open(d.file, problem) != Result::Ok) {
      in.streamBroken = true;
      Report(d.file, problem + " (the event " + d.path + " stays silent)");
      return false;
    }
    in.stream = std::move(file);
    return true;
  }

  // Starts a voice's source at the instance's position.
  void PlayFromPosition(Instance& in, Voice& v) {
    const Description& d = DescriptionOf(in);
    auto at = static_cast<int64_t>(in.position);
    if (d.recipe.stream) {
      DetachStream(in, v);
      in.decodedToEnd = false;
      SeekStream(in, std::clamp<int64_t>(at, 0, d.format.frames));
      FillStream(in, v);
    } else {
      alSourceRewind(v.source);
      alSourcei(v.source, AL_SAMPLE_OFFSET,
                static_cast<ALint>(std::clamp<int64_t>(at, 0, d.format.frames - 1)));
    }
    alSourcef(v.source, AL_GAIN, Gain(in));
    alSourcef(v.source, AL_PITCH, Pitch(in));
    alSourcePlay(v.source);
  }

  void Realise(uint32_t index, int voiceIndex) {
    Instance& in = instances[index];
    Voice& v = voices[voiceIndex];
    const Description& d = DescriptionOf(in);
    if (d.recipe.stream && !OpenStream(in))
      return;
    v.instance = static_cast<int>(index);
    in.voice = voiceIndex;
    alSourcei(v.source, AL_BUFFER, d.recipe.stream ? 0 : static_cast<ALint>(d.buffer));
    alSourcei(v.source, AL_LOOPING, d.recipe.loop && !d.recipe.stream ? AL_TRUE : AL_FALSE);
    PlayFromPosition(in, v);
    in.restart = in.seek = false;
  }

  void Virtualise(Instance& in) {
    if (in.voice < 0)
      return;
    if (in.state != PlaybackState::Stopped) // a stopped source no longer knows where it ended
      in.position = LivePosition(in);
    Voice& v = voices[in.voice];
    if (DescriptionOf(in).recipe.stream)
      DetachStream(in, v);
    else {
      alSourceStop(v.source);
      alSourcei(v.source, AL_BUFFER, 0);
    }
    v.instance = -1;
    in.voice = -1;
  }

  // Reads back where a real voice is and whether its sound has ended.
  void FollowVoice(Instance& in) {
    if (in.voice < 0 || in.restart || in.seek)
      return;
    Voice& v = voices[in.voice];
    const Description& d = DescriptionOf(in);
    in.position = LivePosition(in);
    if (d.recipe.stream) {
      ALint processed = 0;
      alGetSourcei(v.source, AL_BUFFERS_PROCESSED, &processed);
      for (; processed > 0 && !in.queued.empty(); --processed) {
        ALuint buffer = in.queued.front().buffer;
        alSourceUnqueueBuffers(v.source, 1, &buffer);
        v.freeBuffers.push_back(buffer);
        in.queued.pop_front();
      }
      if (in.queued.empty() && in.decodedToEnd)
        End(in);
      return;
    }
    ALint state = AL_STOPPED;
    alGetSourcei(v.source, AL_SOURCE_STATE, &state);
    if (state == AL_STOPPED)
      End(in);
  }

  // A sound that played to its end.
  void End(Instance& in) {
    in.position = static_cast<double>(DescriptionOf(in).format.frames);
    in.state = PlaybackState::Stopped;
  }

  // Advances an instance without a real source by the time that has passed.
  void AdvanceVirtual(Instance& in, double seconds) {
    const Description& d = DescriptionOf(in);
    if (in.voice >= 0 || in.paused || !d.loaded)
      return;
    in.position += seconds * d.format.rate * Pitch(in);
    auto length = static_cast<double>(d.format.frames);
    if (in.position < length)
      return;
    if (!d.recipe.loop) {
      End(in);
      return;
    }
    double start = static_cast<double>(LoopStart(in));
    double span = std::max(1.0, length - start);
    in.position = start + std::fmod(in.position - length, span);
  }

  void SeekParameters(Instance& in, float seconds) {
    const EventSpec& recipe = DescriptionOf(in).recipe;
    for (size_t i = 0; i < recipe.parameters.size(); ++i) {
      Parameter& p = in.parameters[i];
      float step = recipe.parameters[i].seek * seconds;
      if (recipe.parameters[i].seek <= 0 || std::fabs(p.target - p.current) <= step)
        p.current = p.target;
      else
        p.current += p.target > p.current ? step : -step;
    }
  }

  void StepInstance(Instance& in, float seconds) {
    FollowVoice(in);
    SeekParameters(in, seconds);
    bool placed = in.restart || in.seek; // already where it must be heard from
    if (in.voice >= 0 && placed)
      PlayFromPosition(in, voices[in.voice]);
    in.restart = in.seek = false;
    if (in.state != PlaybackState::Stopped && !placed)
      AdvanceVirtual(in, seconds);
    if (in.state == PlaybackState::Stopping) {
      float fadeSeconds = static_cast<float>(DescriptionOf(in).recipe.fadeoutMs) / 1000.0f;
      in.fade = fadeSeconds > 0 ? in.fade - seconds / fadeSeconds : 0.0f;
      if (in.fade <= 0) {
        in.fade = 0;
        in.state = PlaybackState::Stopped;
      }
    }
    if (in.state == PlaybackState::Stopped)
      Virtualise(in);
  }

  bool WantsVoice(const Instance& in) const {
    const Description& d = DescriptionOf(in);
    return in.live && in.state != PlaybackState::Stopped && !in.paused && d.loaded &&
           !in.streamBroken && Gain(in) > 0;
  }

  // Gives the real sources to the loudest channels that want one.
  void ShareVoices() {
    std::vector<uint32_t> wanting;
    for (uint32_t i = 0; i < instances.size(); ++i)
      if (WantsVoice(instances[i]))
        wanting.push_back(i);
    std::stable_sort(wanting.begin(), wanting.end(), [&](uint32_t a, uint32_t b) {
      return Gain(instances[a]) > Gain(instances[b]);
    });
    if (wanting.size() > voices.size())
      wanting.resize(voices.size());
    std::vector<bool> chosen(instances.size(), false);
    for (uint32_t i : wanting)
      chosen[i] = true;
    for (uint32_t i = 0; i < instances.size(); ++i)
      if (!chosen[i])
        Virtualise(instances[i]);
    size_t nextFree = 0;
    for (uint32_t i : wanting) {
      if (instances[i].voice >= 0)
        continue;
      while (nextFree < voices.size() && voices[nextFree].instance >= 0)
        ++nextFree;
      if (nextFree < voices.size())
        Realise(i, static_cast<int>(nextFree));
    }
  }

  // Sends gain and pitch to the real sources and keeps their streams fed.
  void FeedVoices() {
    for (Voice& v : voices) {
      if (v.instance < 0)
        continue;
      Instance& in = instances[v.instance];
      alSourcef(v.source, AL_GAIN, Gain(in));
      alSourcef(v.source, AL_PITCH, Pitch(in));
      if (!DescriptionOf(in).recipe.stream)
        continue;
      FillStream(in, v);
      ALint state = AL_STOPPED;
      alGetSourcei(v.source, AL_SOURCE_STATE, &state);
      // A stream that ran dry between two updates carries on from what is queued.
      if (state != AL_PLAYING && !in.queued.empty())
        alSourcePlay(v.source);
    }
  }

  int ActiveChannels() const {
    int count = 0;
    for (const Instance& in : instances)
      if (in.live && in.state != PlaybackState::Stopped)
        ++count;
    return count;
  }

  void FreeInstance(Instance& in) {
    Virtualise(in);
    in.stream.reset();
    in.queued.clear();
    in.live = false;
    in.released = false;
    ++in.generation;
  }

  // ---- device ----

  bool OpenDevice() {
    device = alcOpenDevice(nullptr);
    if (!device)
      return false;
    context = alcCreateContext(device, nullptr);
    if (!context || !alcMakeContextCurrent(context)) {
      if (context)
        alcDestroyContext(context);
      alcCloseDevice(device);
      context = nullptr;
      device = nullptr;
      return false;
    }
    alcGetIntegerv(device, ALC_FREQUENCY, 1, &deviceRate);
    if (alIsExtensionPresent("AL_SOFT_deferred_updates")) {
      deferUpdates = reinterpret_cast<LPALDEFERUPDATESSOFT>(alGetProcAddress("alDeferUpdatesSOFT"));
      processUpdates =
          reinterpret_cast<LPALPROCESSUPDATESSOFT>(alGetProcAddress("alProcessUpdatesSOFT"));
    }
    if (alcIsExtensionPresent(device, "ALC_SOFT_device_clock"))
      getInteger64 = reinterpret_cast<LPALCGETINTEGER64VSOFT>(
          alcGetProcAddress(device, "alcGetInteger64vSOFT"));
    alGetError();
    for (int i = 0; i < settings.realVoices; ++i) {
      Voice v;
      alGenSources(1, &v.source);
      if (alGetError() != AL_NO_ERROR)
        break;
      v.freeBuffers.resize(static_cast<size_t>(settings.streamBlocks));
      alGenBuffers(settings.streamBlocks, v.freeBuffers.data());
      if (alGetError() != AL_NO_ERROR) {
        alDeleteSources(1, &v.source);
        break;
      }
      alSourcei(v.source, AL_SOURCE_RELATIVE, AL_TRUE);
      alSourcef(v.source, AL_ROLLOFF_FACTOR, 0.0f);
      alSourcef(v.source, AL_MAX_GAIN, kMaxVolume);
      voices.push_back(std::move(v));
    }
    return true;
  }

  void CloseDevice() {
    if (!device)
      return;
    for (Voice& v : voices) {
      alSourceStop(v.source);
      alSourcei(v.source, AL_BUFFER, 0);
      alDeleteSources(1, &v.source);
    }
    for (Voice& v : voices)
      alDeleteBuffers(static_cast<ALsizei>(v.freeBuffers.size()), v.freeBuffers.data());
    for (Description& d : descriptions)
      if (d.buffer)
        alDeleteBuffers(1, &d.buffer);
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(context);
    alcCloseDevice(device);
    voices.clear();
    device = nullptr;
    context = nullptr;
  }

  // ---- banks ----

  Result AddBank(const std::string& path, const BankSpec& recipe) {
    for (const BusSpec& bus : recipe.buses)
      if (buses.count(bus.path)) {
        Report(path, "bus \"" + bus.path + "\" is defined by another loaded bank already");
        return Result::MalformedBank;
      }
    for (const PathSpec& p : recipe.paths)
      if (paths.count(p.path)) {
        Report(path, "\"" + p.path + "\" is named by " + paths[p.path].bank + " already");
        return Result::MalformedBank;
      }
    for (const EventSpec& e : recipe.events)
      if (events.count(e.id)) {
        Report(path, "event " + e.id + " is held by another loaded bank already");
        return Result::MalformedBank;
      }
    for (const BusSpec& bus : recipe.buses)
      buses[bus.path] = bus.volume;
    for (const PathSpec& p : recipe.paths)
      paths[p.path] = {p.id, path};
    std::string folder = std::filesystem::path(path).parent_path().generic_string();
    for (const EventSpec& e : recipe.events)
      events[e.id] = {e, folder};
    banks.push_back({path});
    return Result::Ok;
  }

  // The product of a bus's volume and those of the buses above it ("bus:/SFX" under "bus:/").
  float BusVolume(std::string bus) const {
    float volume = 1;
    while (true) {
      auto found = buses.find(bus);
      if (found != buses.end())
        volume *= found->second;
      if (bus == "bus:/")
        return volume;
      size_t slash = bus.find_last_of('/');
      bus = slash <= 4 ? "bus:/" : bus.substr(0, slash);
    }
  }
};

// ---- Studio ----

Studio::Studio() : state(new StudioState) {}

Studio::~Studio() {
  delete state;
}

Result Studio::Create(Studio** studio, uint32_t headerVersion) {
  if (!studio)
    return Result::InvalidArgument;
  *studio = nullptr;
  if (headerVersion != kHeaderVersion)
    return Result::HeaderMismatch;
  *studio = new Studio();
  return Result::Ok;
}

Result Studio::SetAdvancedSettings(const AdvancedSettings& settings) {
  if (state->initialized)
    return Result::NotInitialized;
  if (settings.realVoices < 0 || settings.realVoices > 256 || settings.streamBlockFrames < 256 ||
      settings.streamBlockFrames > 65536 || settings.streamBlocks < 2 || settings.streamBlocks > 16)
    return Result::InvalidArgument;
  state->settings = settings;
  return Result::Ok;
}

Result Studio::Initialize(int maxChannels, uint32_t, uint32_t, void*) {
  if (state->initialized)
    return Result::NotInitialized;
  if (maxChannels < 1 || maxChannels > 4095)
    return Result::InvalidArgument;
  state->initialized = true;
  state->maxChannels = maxChannels;
  state->lastUpdate = Clock::now();
  if (!state->OpenDevice()) {
    state->Report("sound output", "no device could be opened; the game runs silent");
    return Result::NoDevice;
  }
  return Result::Ok;
}

Result Studio::LoadBankFile(const char* path, uint32_t, Bank* bank) {
  if (bank)
    *bank = Bank();
  if (!state->initialized)
    return Result::NotInitialized;
  if (!path)
    return Result::InvalidArgument;
  std::string name = path;
  for (const BankRecord& b : state->banks)
    if (b.path == name)
      return Result::AlreadyLoaded;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(name, ec)) {
    state->Report(name, "file not found (its events cannot be played)");
    return Result::FileNotFound;
  }
  std::ifstream in(name, std::ios::binary);
  std::string text(kMaxBankBytes + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<size_t>(in.gcount()));
  BankSpec recipe;
  std::string problem;
  if (!ReadBank(text, recipe, problem)) {
    state->Report(name, problem + " (its events cannot be played)");
    return Result::MalformedBank;
  }
  Result result = state->AddBank(name, recipe);
  if (result != Result::Ok)
    return result;
  if (bank) {
    bank->studio = this;
    bank->index = static_cast<uint32_t>(state->banks.size());
  }
  return Result::Ok;
}

Result Studio::GetEvent(const char* path, EventDescription* description) {
  if (description)
    *description = EventDescription();
  if (!state->initialized)
    return Result::NotInitialized;
  if (!path || !description)
    return Result::InvalidArgument;
  std::string name = path;
  auto known = state->descriptionByPath.find(name);
  if (known != state->descriptionByPath.end()) {
    description->studio = this;
    description->index = known->second + 1;
    return Result::Ok;
  }
  auto named = state->paths.find(name);
  if (named == state->paths.end()) {
    state->Report(name, "no loaded strings bank names this event");
    return Result::EventNotFound;
  }
  auto event = state->events.find(named->second.id);
  if (event == state->events.end()) {
    state->Report(name, "named " + named->second.id + " by " + named->second.bank +
                            ", which no loaded events bank holds");
    return Result::EventNotFound;
  }
  const EventSpec& recipe = event->second.recipe;
  if (!state->buses.count(recipe.bus)) {
    state->Report(name, "plays on \"" + recipe.bus + "\", which no loaded master bank defines");
    return Result::EventNotFound;
  }
  Description d;
  d.path = name;
  d.recipe = recipe;
  d.file = event->second.folder.empty() ? recipe.file : event->second.folder + "/" + recipe.file;
  d.busVolume = state->BusVolume(recipe.bus);
  state->descriptions.push_back(std::move(d));
  auto index = static_cast<uint32_t>(state->descriptions.size() - 1);
  state->descriptionByPath[name] = index;
  description->studio = this;
  description->index = index + 1;
  return Result::Ok;
}

Result Studio::Update() {
  if (!state->initialized)
    return Result::NotInitialized;
  Clock::time_point now = Clock::now();
  float seconds = std::chrono::duration<float>(now - state->lastUpdate).count();
  state->lastUpdate = now;
  if (state->deferUpdates)
    state->deferUpdates();
  for (Instance& in : state->instances)
    if (in.live)
      state->StepInstance(in, seconds);
  state->ShareVoices();
  state->FeedVoices();
  if (state->processUpdates)
    state->processUpdates();
  for (Instance& in : state->instances)
    if (in.live && in.released && in.state == PlaybackState::Stopped)
      state->FreeInstance(in);
  return Result::Ok;
}

Result Studio::Release() {
  for (Instance& in : state->instances)
    if (in.live)
      state->Virtualise(in);
  state->CloseDevice();
  delete this;
  return Result::Ok;
}

Result Studio::GetOutputClock(int64_t* frames, int* rate) const {
  if (!frames || !rate)
    return Result::InvalidArgument;
  *frames = 0;
  *rate = 0;
  if (!state->device)
    return Result::NoDevice;
  *rate = state->deviceRate;
  if (!state->getInteger64)
    return Result::Ok;
  ALCint64SOFT nanoseconds = 0;
  state->getInteger64(state->device, ALC_DEVICE_CLOCK_SOFT, 1, &nanoseconds);
  *frames = static_cast<int64_t>(static_cast<double>(nanoseconds) * state->deviceRate / 1e9);
  return Result::Ok;
}

int Studio::RealVoiceCount() const {
  return static_cast<int>(state->voices.size());
}

bool Studio::HasDevice() const {
  return state->device != nullptr;
}

// ---- Bank ----

bool Bank::IsValid() const {
  return studio && index > 0 && index <= studio->state->banks.size();
}

// ---- EventDescription ----

bool EventDescription::IsValid() const {
  return studio && index > 0 && index <= studio->state->descriptions.size();
}

Result EventDescription::LoadSampleData() {
  if (!IsValid())
    return Result::InvalidHandle;
  return studio->state->LoadSamples(studio->state->descriptions[index - 1]);
}

Result EventDescription::CreateInstance(EventInstance* instance) {
  if (instance)
    *instance = EventInstance();
  if (!IsValid())
    return Result::InvalidHandle;
  if (!instance)
    return Result::InvalidArgument;
  StudioState& s = *studio->state;
  uint32_t slot = 0;
  while (slot < s.instances.size() && s.instances[slot].live)
    ++slot;
  if (slot == s.instances.size())
    s.instances.emplace_back();
  Instance& in = s.instances[slot];
  uint32_t generation = in.generation;
  in = Instance();
  in.generation = generation;
  in.live = true;
  in.description = index - 1;
  for (const ParameterSpec& p : s.descriptions[index - 1].recipe.parameters)
    in.parameters.push_back({p.initial, p.initial});
  instance->studio = studio;
  instance->index = slot;
  instance->generation = generation;
  return Result::Ok;
}

Result EventDescription::GetPath(std::string* path) const {
  if (!IsValid())
    return Result::InvalidHandle;
  if (path)
    *path = studio->state->descriptions[index - 1].path;
  return Result::Ok;
}

Result EventDescription::GetLength(int* milliseconds) const {
  if (!IsValid())
    return Result::InvalidHandle;
  const Description& d = studio->state->descriptions[index - 1];
  if (!d.loaded)
    return d.failure != Result::Ok ? d.failure : Result::NotInitialized;
  if (milliseconds)
    *milliseconds = static_cast<int>(d.format.frames * 1000 / d.format.rate);
  return Result::Ok;
}

// ---- EventInstance ----

bool EventInstance::IsValid() const {
  return StudioState::Resolve(studio, index, generation) != nullptr;
}

Result EventInstance::Start() {
  Instance* in = StudioState::Resolve(studio, index, generation);
  if (!in)
    return Result::InvalidHandle;
  StudioState& s = *studio->state;
  Result loaded = s.LoadSamples(s.descriptions[in->description]);
  if (loaded != Result::Ok)
    return loaded;
  if (in->state == PlaybackState::Stopped && s.ActiveChannels() >= s.maxChannels)
    return Result::NoFreeChannel;
  in->state = PlaybackState::Playing;
  in->position = 0;
  in->fade = 1;
  in->restart = true;
  return Result::Ok;
}

Result EventInstance::Stop(StopMode mode) {
  Instance* in = StudioState::Resolve(studio, index, generation);
  if (!in)
    return Result::InvalidHandle;
  if (in->state == PlaybackState::Stopped)
    return Result::Ok;
  in->position = studio->state->LivePosition(*in);
  in->state = mode == StopMode::Immediate ? PlaybackState::Stopped : PlaybackState::Stopping;
  return Result::Ok;
}

Result EventInstance::SetPaused(bool paused) {
  Instance* in = StudioState::Resolve(studio, index, generation);
  if (!in)
    return Result::InvalidHandle;
  in->paused = paused;
  return Result::Ok;
}

Result EventInstance::GetPaused(bool* paused) const {
  Instance* in = StudioState::Resolve(studio, index, generation);
  if (!in)
    return Result::InvalidHandle;
  if (paused)
    *paused = in->paused;
  return Result::Ok;
}

Result EventInstance::SetVolume(float volume) {
  Instance* in = StudioState::Resolve(studio, index, generation);
  if (!in)
    return Result::InvalidHandle;
  in->volume = std::isnan(volume) || volume < 0 ? 0.0f : std::min(volume, kMaxVolume);
  return Result::Ok;
}

Result EventInstance::GetVolume(float* volume) const {
  Instance* in = StudioState::Resolve(studio, index, generation);
  if (!in)
    return Result::InvalidHandle;
  if (volume)
    *volume = in->volume;
  return Result::Ok;
}

Result EventInstance::SetTimelinePosition(int milliseconds) {
  Instance* in = StudioState::Resolve(studio, index, generation);
  if (!in)
    return Result::InvalidHandle;
  const Description& d = studio->state->DescriptionOf(*in);
  if (!d.loaded)
    return Result::Ok; // nothing to place yet; a start begins at 0 anyway
  double frames = std::max(0, milliseconds) * static_cast<double>(d.format.rate) / 1000.0;
  in->position = std::min(frames, static_cast<double>(d.format.frames));
  in->seek = true;
  return Result::Ok;
}

Result EventInstance::GetTimelinePosition(int* milliseconds) const {
  Instance* in = StudioState::Resolve(studio, index, generation);
  if (!in)
    return Result::InvalidHandle;
  const Description& d = studio->state->DescriptionOf(*in);
  if (milliseconds)
    *milliseconds =
        d.loaded ? static_cast<int>(studio->state->LivePosition(*in) * 1000.0 / d.format.rate) : 0;
  return Result::Ok;
}

Result EventInstance::GetParameter(const char* name, ParameterInstance* parameter) const {
  if (parameter)
    *parameter = ParameterInstance();
  Instance* in = StudioState::Resolve(studio, index, generation);
  if (!in)
    return Result::InvalidHandle;
  if (!name || !parameter)
    return Result::InvalidArgument;
  const Description& d = studio->state->DescriptionOf(*in);
  for (size_t i = 0; i < d.recipe.parameters.size(); ++i)
    if (d.recipe.parameters[i].name == name) {
      parameter->studio = studio;
      parameter->instance = index;
      parameter->generation = generation;
      parameter->parameter = static_cast<uint32_t>(i);
      return Result::Ok;
    }
  studio->state->Report(d.path, std::string("has no parameter \"") + name + "\"");
  return Result::ParameterNotFound;
}

Result EventInstance::GetPlaybackState(PlaybackState* playback) const {
  Instance* in = StudioState::Resolve(studio, index, generation);
  if (!in)
    return Result::InvalidHandle;
  if (playback)
    *playback = in->state;
  return Result::Ok;
}

Result EventInstance::IsVirtual(bool* isVirtual) const {
  Instance* in = StudioState::Resolve(studio, index, generation);
  if (!in)
    return Result::InvalidHandle;
  if (isVirtual)
    *isVirtual = in->state != PlaybackState::Stopped && in->voice < 0;
  return Result::Ok;
}

Result EventInstance::Release() {
  Instance* in = StudioState::Resolve(studio, index, generation);
  if (!in)
    return Result::InvalidHandle;
  in->released = true;
  return Result::Ok;
}

// ---- ParameterInstance ----

bool ParameterInstance::IsValid() const {
  return StudioState::Resolve(studio, instance, generation) != nullptr;
}

Result ParameterInstance::SetValue(float value) {
  if (!IsValid())
    return Result::InvalidHandle;
  if (std::isnan(value))
    return Result::InvalidArgument;
  Instance& in = studio->state->instances[instance];
  const ParameterSpec& recipe = studio->state->DescriptionOf(in).recipe.parameters[parameter];
  in.parameters[parameter].target = std::clamp(value, recipe.minimum, recipe.maximum);
  if (recipe.seek <= 0)
    in.parameters[parameter].current = in.parameters[parameter].target;
  return Result::Ok;
}

Result ParameterInstance::GetValue(float* value) const {
  if (!IsValid())
    return Result::InvalidHandle;
  if (value)
    *value = studio->state->instances[instance].parameters[parameter].target;
  return Result::Ok;
}

} // namespace audio
