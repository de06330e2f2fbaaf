// The two evaluators on any well-formed program over a random node table:
// the walk reads exactly the program, the error is a mean of squares or
// +infinity (never a not-a-number, never a trap), and the recursive walk and
// the batch evaluator agree bit for bit on the fitness and on every picture
// value.
#include "fuzz/fuzz_problem.h"

#include "engine/evaluation.h"
#include "engine/fitness.h"
#include "engine/misc.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

using namespace quba;

namespace {

struct Outcome {
    long double training = 0;
    long double validation = 0;
    std::vector<float> trainingCells;
    std::vector<float> validationCells;
};

Outcome EvaluateWith(const Problem& problem, EvaluatorKind kind, const int32_t* program) {
    FitnessEvaluators evaluators({kind, 1});
    Outcome outcome;
    outcome.training = TrainingFitness(evaluators, problem, program);
    outcome.validation = ValidationFitness(evaluators, problem, program);
    const CaseSet training = problem.TrainingCases();
    const CaseSet validation = problem.ValidationCases();
    outcome.trainingCells.resize(training.count);
    outcome.validationCells.resize(validation.count);
    CaseOutputs(evaluators, problem, program, training, outcome.trainingCells.data());
    CaseOutputs(evaluators, problem, program, validation, outcome.validationCells.data());
    return outcome;
}

bool SameBits(long double a, long double b) {
    // The 80 significant bits of an x87 value; the padding is not compared.
    return std::memcmp(&a, &b, 10) == 0;
}

// Picture cells agree in their bits; a failed cell is a not-a-number in both.
bool SameCells(const std::vector<float>& a, const std::vector<float>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t k = 0; k < a.size(); ++k) {
        if (std::isnan(a[k]) || std::isnan(b[k])) {
            if (std::isnan(a[k]) != std::isnan(b[k]))
                return false;
        } else if (std::memcmp(&a[k], &b[k], sizeof(float)) != 0) {
            return false;
        }
    }
    return true;
}

// A mean of squared errors, or +infinity for a program that failed.
bool IsError(long double value) {
    return !std::isnan(value) && value >= 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteReader in(data, size);
    FuzzProblem scope(in);
    Problem& problem = scope.problem();
    const int32_t maxLength = 1 + 4 * in.Byte();
    // Exactly the program, so that a read past its end is caught.
    const std::vector<int32_t> program = DecodeProgram(in, problem, maxLength);
    const auto length = static_cast<int32_t>(program.size());
    FUZZ_CHECK(length <= maxLength && IsWellFormed(problem, program.data(), length));

    EvaluationContext context(problem);
    SetVariables(context, problem.trainingX[0], problem.trainingY[0]);
    int32_t position = 0;
    (void)Evaluate(context, program.data(), position);
    FUZZ_CHECK(position == length);
    position = 0;
    (void)ProgramText(problem.nodeTable.data(), program.data(), position);
    FUZZ_CHECK(position == length - 1);

    const Outcome reference = EvaluateWith(problem, EvaluatorKind::Reference, program.data());
    const Outcome batch = EvaluateWith(problem, EvaluatorKind::Batch, program.data());
    FUZZ_CHECK(IsError(reference.training) && IsError(reference.validation));
    FUZZ_CHECK(SameBits(reference.training, batch.training));
    FUZZ_CHECK(SameBits(reference.validation, batch.validation));
    FUZZ_CHECK(SameCells(reference.trainingCells, batch.trainingCells));
    FUZZ_CHECK(SameCells(reference.validationCells, batch.validationCells));

    // The fast arithmetic has figures of its own, but errors all the same:
    // finite and not negative, or +infinity, which a not-a-number cell makes
    // (as does a finite output whose squared error overflows).
    const Outcome fast = EvaluateWith(problem, EvaluatorKind::Fast, program.data());
    FUZZ_CHECK(IsError(fast.training) && IsError(fast.validation));
    const bool anyFailed = std::any_of(fast.trainingCells.begin(), fast.trainingCells.end(),
                                       [](float cell) { return std::isnan(cell); });
    FUZZ_CHECK(!anyFailed || std::isinf(fast.training));
    return 0;
}
