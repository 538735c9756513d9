#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// The files and programs of adapting the acoustic model to one speaker (see
// PhoneScorer::Adapt): Debian's SphinxTrain estimates the speaker's means from the speaker's
// recordings; these write what it reads, run it and check what it wrote.

namespace sound {

/// Unpacks the model's compressed mixture weights (its "sendump": one byte per weight, a
/// negative log in steps of 1.0001) into the plain weights file the trainer reads. False when
/// the file is unreadable, damaged or not of that kind; nothing is left at out then.
bool WriteMixtureWeights(const std::string& sendump, const std::string& out);

/// Writes frames of cepstra (width values each) as a feature file of the trainer.
bool WriteFeatureFile(const std::string& path, const float* values, std::size_t frames,
                      std::size_t width);

/// Runs program with args, its output thrown away, and waits at most seconds for it, or until
/// stop turns true (then it is killed). True when it ran and exited with 0.
bool RunTool(const std::string& program, const std::vector<std::string>& args, int seconds,
             const std::function<bool()>& stop = {});

/// A folder of its own under the system's temporary folder, removed with everything in it when
/// this goes. Empty path when it could not be made.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

/// True when path holds means of Gaussians for the model whose means are in modelMeans: the
/// same header, the same counts and the same size, every mean finite and within reason. A
/// damaged file, or one made for another model, is never handed to the decoder.
bool AdaptedMeansValid(const std::string& path, const std::string& modelMeans);

} // namespace sound
