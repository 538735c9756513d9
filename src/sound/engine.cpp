#include "engine.h"

#include "core/programmodule.h"

#include <atomic>
#include <mutex>

namespace sound {

namespace {

std::atomic<Engine*> g_engine{nullptr};

struct ModuleState {
    std::mutex mutex;
    bool tried = false;
    core::Status failure;
};

ModuleState& Module() {
    static ModuleState state;
    return state;
}

} // namespace

Engine* LoadEngine() {
    if (Engine* engine = g_engine.load(std::memory_order_acquire)) {
        return engine;
    }
    ModuleState& module = Module();
    std::lock_guard<std::mutex> lock(module.mutex);
    if (Engine* engine = g_engine.load(std::memory_order_acquire)) {
        return engine;
    }
    if (module.tried) {
        return nullptr;
    }
    module.tried = true;
    std::string error;
    void* entry = core::ModuleEntry(LJT_SOUND_MODULE, "ljt_sound_engine", false, error);
    if (entry == nullptr) {
        module.failure = core::Status::Sound(core::Failure::SoundNoOutput,
                                             core::ModuleFolder() + LJT_SOUND_MODULE, 0, error);
        return nullptr;
    }
    Engine* engine = reinterpret_cast<Engine* (*)()>(entry)();
    g_engine.store(engine, std::memory_order_release);
    return engine;
}

bool EngineLoaded() {
    return g_engine.load(std::memory_order_acquire) != nullptr;
}

core::Status EngineFailure() {
    ModuleState& module = Module();
    std::lock_guard<std::mutex> lock(module.mutex);
    return module.failure;
}

void UseEngine(Engine* engine) {
    g_engine.store(engine, std::memory_order_release);
}

bool SynthesizeToMemory(const std::string& text, int speed, core::PcmSound& sound) {
    Engine* engine = LoadEngine();
    return engine != nullptr && engine->SynthesizeToMemory(text, speed, sound);
}

std::string Phonemes(const std::string& text) {
    Engine* engine = LoadEngine();
    return engine != nullptr ? engine->Phonemes(text) : std::string();
}

} // namespace sound
