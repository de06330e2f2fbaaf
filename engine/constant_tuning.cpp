#include "engine/constant_tuning.h"

#include "engine/linear_scaling.h"
#include "engine/primitive_rules.h"

#include <Eigen/Dense>

#include <cmath>
#include <limits>

namespace quba {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// How often a step is shrunk (the damping raised) before an iteration gives up.
constexpr int kTries = 8;

// The program's value and its derivatives with respect to the parameters (its
// constant leaves) at one case, by automatic differentiation: a forward walk
// over the program from its end keeps every node's value and the local
// derivatives with respect to its arguments, and a walk back from the root
// gathers the derivatives of the output, so that a whole gradient costs two
// walks whatever the number of parameters.
class DifferentiableProgram {
public:
    DifferentiableProgram(const Problem& problem, const int32_t* program, int32_t length,
                          const std::vector<int32_t>& positions)
        : problem_(problem), program_(program), length_(length), positions_(positions),
          parameterOf_(static_cast<size_t>(length), -1), nodes_(static_cast<size_t>(length)),
          adjoints_(static_cast<size_t>(length)) {
        for (size_t j = 0; j < positions.size(); ++j)
            parameterOf_[static_cast<size_t>(positions[j])] = static_cast<int32_t>(j);
        // Each function node's arguments: the first follows it, each next one
        // follows the subtree before it.
        std::vector<int32_t> stack;
        for (int32_t p = length - 1; p >= 0; --p) {
            Node& node = nodes_[static_cast<size_t>(p)];
            const NodeEntry& entry = problem.nodeTable[program[p]];
            node.arity = entry.type == NodeType::Function ? entry.arityMinus1 + 1 : 0;
            for (int32_t k = 0; k < node.arity; ++k) {
                node.arguments[k] = stack.back();
                stack.pop_back();
            }
            stack.push_back(p);
        }
    }

    // The value at (x, y) with the parameters `theta`; with `gradient`, its
    // derivative with respect to each parameter too.
    double Evaluate(const double* theta, float x, float y, double* gradient) {
        for (int32_t p = length_ - 1; p >= 0; --p)
            Forward(p, theta, x, y);
        if (gradient == nullptr)
            return nodes_[0].value;
        std::fill(adjoints_.begin(), adjoints_.end(), 0.0);
        adjoints_[0] = 1;
        for (int32_t p = 0; p < length_; ++p) {
            const Node& node = nodes_[static_cast<size_t>(p)];
            for (int32_t k = 0; k < node.arity; ++k)
                adjoints_[static_cast<size_t>(node.arguments[k])] +=
                    node.weight[k] * adjoints_[static_cast<size_t>(p)];
        }
        for (size_t j = 0; j < positions_.size(); ++j)
            gradient[j] = adjoints_[static_cast<size_t>(positions_[j])];
        return nodes_[0].value;
    }

private:
    struct Node {
        int32_t arity = 0;
        int32_t arguments[4] = {0, 0, 0, 0};
        double value = 0;
        double weight[4] = {0, 0, 0, 0}; // d value / d argument
    };

    void Forward(int32_t p, const double* theta, float x, float y) {
        Node& node = nodes_[static_cast<size_t>(p)];
        const NodeEntry& entry = problem_.nodeTable[program_[p]];
        if (entry.type == NodeType::Variable) {
            node.value = entry.terminalIndex == 0 ? x : y;
            return;
        }
        if (entry.type == NodeType::Constant) {
            const int32_t j = parameterOf_[static_cast<size_t>(p)];
            node.value = j >= 0 ? theta[j] : problem_.constants[entry.terminalIndex];
            return;
        }
        double a[4];
        for (int32_t k = 0; k < node.arity; ++k)
            a[k] = nodes_[static_cast<size_t>(node.arguments[k])].value;
        std::fill(std::begin(node.weight), std::end(node.weight), 0.0);
        node.value = Apply(entry.primitive, a, node.weight);
    }

    // A primitive's value in double, with the protections of its rules, and
    // its derivatives with respect to its arguments.
    static double Apply(PrimitiveId primitive, const double* a, double* weight) {
        switch (primitive) {
        case PrimitiveId::Add:
            weight[0] = weight[1] = 1;
            return a[0] + a[1];
        case PrimitiveId::Subtract:
            weight[0] = 1;
            weight[1] = -1;
            return a[0] - a[1];
        case PrimitiveId::Multiply:
            weight[0] = a[1];
            weight[1] = a[0];
            return a[0] * a[1];
        case PrimitiveId::Divide: {
            if (a[1] == 0)
                return 1;
            const double quotient = a[0] / a[1];
            weight[0] = 1 / a[1];
            weight[1] = -quotient / a[1];
            return quotient;
        }
        case PrimitiveId::Sin:
        case PrimitiveId::Cos:
        case PrimitiveId::Tan: {
            if (std::isnan(a[0]) || std::fabs(a[0]) >= 0x1p52)
                return kNaN;
            const double s = std::sin(a[0]);
            const double c = std::cos(a[0]);
            if (primitive == PrimitiveId::Sin) {
                weight[0] = c;
                return s;
            }
            if (primitive == PrimitiveId::Cos) {
                weight[0] = -s;
                return c;
            }
            const double t = std::tan(a[0]);
            weight[0] = 1 + t * t;
            return t;
        }
        case PrimitiveId::Ln:
        case PrimitiveId::Log10:
        case PrimitiveId::Sqrt: {
            // Of the integer part's magnitude: flat between integers.
            bool failed = false;
            const long double x = a[0];
            const long double value =
                primitive == PrimitiveId::Ln      ? rules::IntegerMagnitude<rules::Log>(x, failed)
                : primitive == PrimitiveId::Log10 ? rules::IntegerMagnitude<rules::Log10>(x, failed)
                                                  : rules::IntegerMagnitude<rules::Sqrt>(x, failed);
            return failed ? kNaN : static_cast<double>(value);
        }
        case PrimitiveId::IfGreater:
        case PrimitiveId::IfLess: {
            if (std::isnan(a[0]) || std::isnan(a[1]))
                return kNaN;
            const bool holds = primitive == PrimitiveId::IfLess ? a[0] < a[1] : a[0] > a[1];
            weight[holds ? 2 : 3] = 1;
            return holds ? a[2] : a[3];
        }
        }
        return kNaN;
    }

    const Problem& problem_;
    const int32_t* program_;
    int32_t length_;
    const std::vector<int32_t>& positions_;
    std::vector<int32_t> parameterOf_; // position -> parameter, or -1
    std::vector<Node> nodes_;
    std::vector<double> adjoints_;
};

// The residuals' squares summed, the normal equations' matrix and right-hand
// side, at the parameters `theta` (the constants, then a and b with scaling).
class LeastSquares {
public:
    LeastSquares(DifferentiableProgram& program, const CaseSet& cases, int32_t constants,
                 bool scaled)
        : program_(program), cases_(cases), constants_(constants), scaled_(scaled),
          gradient_(static_cast<size_t>(constants)) {}

    // The cost; with `normal` also JᵀJ and Jᵀr. +infinity where some output
    // is not finite.
    double Cost(const Eigen::VectorXd& theta, Eigen::MatrixXd* matrix, Eigen::VectorXd* side) {
        const Eigen::Index size = theta.size();
        if (matrix != nullptr) {
            matrix->setZero(size, size);
            side->setZero(size);
        }
        Eigen::VectorXd row(size);
        double cost = 0;
        for (int32_t k = 0; k < cases_.count; ++k) {
            const double f = program_.Evaluate(theta.data(), cases_.xs[k], cases_.ys[k],
                                               matrix != nullptr ? gradient_.data() : nullptr);
            const double b = scaled_ ? theta[constants_ + 1] : 1;
            const double model = scaled_ ? theta[constants_] + b * f : f;
            const double residual = cases_.targets[k] - model;
            if (!std::isfinite(residual))
                return std::numeric_limits<double>::infinity();
            cost += residual * residual;
            if (matrix == nullptr)
                continue;
            for (int32_t j = 0; j < constants_; ++j)
                row[j] = b * gradient_[static_cast<size_t>(j)];
            if (scaled_) {
                row[constants_] = 1;
                row[constants_ + 1] = f;
            }
            matrix->selfadjointView<Eigen::Lower>().rankUpdate(row);
            *side += residual * row;
        }
        if (matrix != nullptr)
            *matrix = matrix->selfadjointView<Eigen::Lower>();
        return cost;
    }

private:
    DifferentiableProgram& program_;
    const CaseSet& cases_;
    int32_t constants_;
    bool scaled_;
    std::vector<double> gradient_;
};

} // namespace

TunedConstants TuneConstants(const Problem& problem, const int32_t* program, int32_t length,
                             const CaseSet& cases, int32_t iterations, bool linearScaling) {
    TunedConstants tuned;
    for (int32_t p = 0; p < length; ++p) {
        const NodeEntry& node = problem.nodeTable[program[p]];
        if (node.type == NodeType::Constant) {
            tuned.positions.push_back(p);
            tuned.values.push_back(problem.constants[node.terminalIndex]);
        }
    }
    const auto constants = static_cast<int32_t>(tuned.positions.size());
    if (constants == 0 || iterations <= 0 || cases.count == 0)
        return tuned;

    DifferentiableProgram dual(problem, program, length, tuned.positions);
    const Eigen::Index size = constants + (linearScaling ? 2 : 0);
    Eigen::VectorXd theta(size);
    for (int32_t j = 0; j < constants; ++j)
        theta[j] = tuned.values[static_cast<size_t>(j)];
    if (linearScaling) {
        // The fit of the untuned output as the start of a and b.
        std::vector<float> outputs(static_cast<size_t>(cases.count));
        for (int32_t k = 0; k < cases.count; ++k)
            outputs[static_cast<size_t>(k)] =
                static_cast<float>(dual.Evaluate(theta.data(), cases.xs[k], cases.ys[k], nullptr));
        const Scaling fit = FitScaling(outputs.data(), cases.targets, cases.count);
        theta[constants] = fit.offset;
        theta[constants + 1] = fit.factor;
    }

    LeastSquares squares(dual, cases, constants, linearScaling);
    Eigen::MatrixXd matrix;
    Eigen::VectorXd side;
    double cost = squares.Cost(theta, &matrix, &side);
    if (!std::isfinite(cost))
        return tuned;
    double damping = 1e-3;
    for (int32_t iteration = 0; iteration < iterations; ++iteration) {
        bool accepted = false;
        for (int t = 0; t < kTries && !accepted; ++t) {
            Eigen::MatrixXd damped = matrix;
            damped.diagonal() += damping * (matrix.diagonal().array() + 1e-12).matrix();
            const Eigen::VectorXd step = damped.ldlt().solve(side);
            const Eigen::VectorXd trial = theta + step;
            const double trialCost = step.allFinite() ? squares.Cost(trial, nullptr, nullptr)
                                                      : std::numeric_limits<double>::infinity();
            if (trialCost < cost) {
                theta = trial;
                damping = std::max(damping / 10, 1e-12);
                accepted = true;
            } else {
                damping *= 10;
            }
        }
        if (!accepted)
            break;
        cost = squares.Cost(theta, &matrix, &side);
    }
    for (int32_t j = 0; j < constants; ++j) {
        const auto value = static_cast<float>(theta[j]);
        if (std::isfinite(value) && value != tuned.values[static_cast<size_t>(j)]) {
            tuned.values[static_cast<size_t>(j)] = value;
            tuned.changed = true;
        }
    }
    return tuned;
}

} // namespace quba
