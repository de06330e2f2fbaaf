// The size-accuracy front of a population: for every program length the
// program with the lowest training error the run computed at any generation
// step, kept only where no shorter (or equally long) program has an error as
// low. It reads what the generation step has computed and nothing else: no
// draw, no evaluation.
#pragma once

#include "engine/best_program.h"
#include "engine/fitness.h"
#include "engine/population.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quba {

class SizeAccuracyFront {
public:
    // What a program's size is: its length, or another measure, such as its
    // bytes.
    using SizeOf = std::function<int64_t(const Individual& individual)>;

    // A front by length.
    SizeAccuracyFront() = default;
    // A front by the size `sizeOf` measures.
    explicit SizeAccuracyFront(SizeOf sizeOf) : sizeOf_(std::move(sizeOf)) {}

    // Takes note of every program of an evaluated buffer in ranked order, so
    // that of two programs of one size and error the first seen stays.
    // A failed program (an error that is not finite) is never a member.
    // True when some size got a better program.
    bool Consider(const Generation& ranked, int32_t generation);

    // The members by increasing size, with strictly decreasing training
    // errors, as best programs of `population` of the run that `problem`
    // belongs to; their validation error and text are left for
    // CompleteFrontMember.
    [[nodiscard]] std::vector<BestProgram>
    Members(int32_t population, uint32_t seed, const std::shared_ptr<const Problem>& problem) const;

private:
    struct Candidate {
        std::vector<int32_t> nodes;
        std::optional<Scaling> scaling;
        float error = 0;
        int32_t generation = 0;
    };
    SizeOf sizeOf_;
    std::vector<Candidate> bySize_; // index: size; an empty program marks no candidate
};

// Whether a member still lacks its validation error and text.
bool NeedsCompletion(const BestProgram& member);
// Computes a member's validation error and its text ("C=" and ProgramText).
void CompleteFrontMember(BestProgram& member, const std::string& outputName,
                         FitnessEvaluators& evaluators);

} // namespace quba
