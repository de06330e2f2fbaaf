#include "cli/run_record.h"

#include "cli/option_table.h"
#include "core/decimal.h"
#include "engine/misc.h"
#include "setup/setting_schema.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace quba {

namespace {

QJsonObject StepJson(const StepRecord& step) {
    return {{"generation", step.generation},
            {"validation", FloatJson(step.validation)},
            {"training", FloatJson(step.training)},
            {"averageLength", step.averageLength},
            {"bestLength", step.bestLength}};
}

// The formula with its constants as they are, and its node codes.
void AddExactFormula(QJsonObject& json, const BestProgram& program, const std::string& outputName) {
    json["exact"] = QString::fromStdString(
        ExactOutputText(outputName, *program.problem, program.nodes.data(), program.scaling));
    QJsonArray nodes;
    for (int32_t code : program.nodes)
        nodes.append(code);
    json["nodes"] = nodes;
}

QJsonObject MemberJson(const BestProgram& member, const std::string& outputName) {
    QJsonObject json{{"length", static_cast<qint64>(member.nodes.size())},
                     {"training", FloatJson(member.trainingFitness)},
                     {"validation", FloatJson(member.validationFitness)},
                     {"psnr", DoubleJson(Psnr(member.trainingFitness))},
                     {"formulaBytes", static_cast<qint64>(FormulaBytes(member))},
                     {"generation", member.generation},
                     {"best", QString::fromStdString(member.text)}};
    AddExactFormula(json, member, outputName);
    return json;
}

QJsonArray FrontJson(const std::vector<BestProgram>& front, const std::string& outputName) {
    QJsonArray members;
    for (const BestProgram& member : front)
        members.append(MemberJson(member, outputName));
    return members;
}

// A typed setting as the record writes it: a number, or a choice's name.
QJsonValue SettingJson(const SettingRow& setting, long double value) {
    switch (setting.kind) {
    case SettingKind::Integer:
        return static_cast<qint64>(value);
    case SettingKind::Choice:
        return QString::fromUtf8(setting.choices[static_cast<size_t>(value)]);
    case SettingKind::Switch:
        return value != 0;
    case SettingKind::Decimal:
    case SettingKind::Percent:
        break;
    }
    return FloatJson(static_cast<float>(value));
}

// Every setting of the schema in one scope, by its option's name.
QJsonObject SettingsJson(SettingScope scope, const SettingSource& source) {
    QJsonObject settings;
    for (const SettingRow& setting : SettingSchema())
        if (setting.scope == scope && setting.option != nullptr)
            settings[setting.option] = SettingJson(setting, Load(setting, source));
    return settings;
}

QJsonObject RunSettingsJson(const RunSettings& run) {
    QJsonObject settings = SettingsJson(SettingScope::Problem, {.problem = &run.problem});
    for (const auto& [key, value] : SettingsJson(SettingScope::Search, {.search = &run.search})
                                        .toVariantMap()
                                        .asKeyValueRange())
        settings[key] = QJsonValue::fromVariant(value);
    settings[Name(Cli::Range)] =
        QJsonArray{FloatJson(run.problem.constantLower), FloatJson(run.problem.constantUpper)};
    QJsonArray functions;
    for (size_t k = 0; k < kPrimitives.size(); ++k)
        if (run.problem.functionChecked[k])
            functions.append(kPrimitives[k].cliName);
    settings[Name(Cli::Functions)] = functions;
    settings[Name(Cli::XName)] = QString::fromStdString(run.problem.horizontalName);
    settings[Name(Cli::YName)] = QString::fromStdString(run.problem.verticalName);
    settings[Name(Cli::Arithmetic)] = run.evaluation.evaluator == EvaluatorKind::Fast
                                          ? QStringLiteral("fast")
                                          : QStringLiteral("exact");
    return settings;
}

QJsonObject PopulationJson(const PopulationRecord& population, const std::string& outputName) {
    QJsonArray history;
    for (const StepRecord& step : population.history)
        history.append(StepJson(step));
    QJsonObject json{
        {"number", population.number},
        {"settings", SettingsJson(SettingScope::Population, {.population = &population.settings})},
        {"seed", static_cast<qint64>(population.seed)},
        {"generations", population.generations},
        {"history", history},
        {"best", QString::fromStdString(population.best)},
        {"rawBytes", static_cast<qint64>(population.rawBytes)}};
    // A population that never stepped has no formula to measure.
    const auto& figures = population.figures;
    json["formulaBytes"] =
        figures ? QJsonValue(static_cast<qint64>(figures->formulaBytes)) : QJsonValue();
    json["compressionRatio"] = figures ? DoubleJson(figures->compressionRatio) : QJsonValue();
    json["psnr"] = figures ? DoubleJson(figures->psnr) : QJsonValue();
    json["validationPsnr"] = figures ? DoubleJson(figures->validationPsnr) : QJsonValue();
    if (population.bestProgram)
        AddExactFormula(json, *population.bestProgram, outputName);
    if (population.front)
        json["front"] = FrontJson(*population.front, outputName);
    if (population.bytesFront)
        json["bytesFront"] = FrontJson(*population.bytesFront, outputName);
    return json;
}

// The codec's settings by option name, and the file's figures.
QJsonObject FileJson(const FileRecord& file) {
    const CodecSettings& codec = file.codec;
    QJsonObject json{{"bytes", static_cast<qint64>(file.bytes)},
                     {"psnr", DoubleJson(file.psnr)},
                     {"blocks", file.blocks},
                     {"stages", file.stages},
                     {"reached", file.reached},
                     {Name(Cli::Tiles), codec.tiles ? "auto" : "off"},
                     {Name(Cli::Stages), codec.stages},
                     {Name(Cli::SampleGrid), codec.samples ? "auto" : "off"},
                     {Name(Cli::CosineSeries), codec.cosines ? "auto" : "off"}};
    json["precision"] =
        file.precision == ConstantCoding::kExact ? QJsonValue("exact") : QJsonValue(file.precision);
    if (file.samples)
        json["samples"] = QJsonObject{{"rows", file.samples->rows},
                                      {"columns", file.samples->columns},
                                      {"levels", file.samples->steps + 1}};
    if (file.cosineTerms)
        json["cosineTerms"] = *file.cosineTerms;
    if (codec.tiles)
        json[Name(Cli::MinBlock)] = codec.minBlock;
    if (codec.budget)
        json[Name(Cli::Budget)] = static_cast<qint64>(*codec.budget);
    if (codec.targetPsnr)
        json[Name(Cli::TargetPsnr)] = *codec.targetPsnr;
    return json;
}

} // namespace

RunRecord CollectRunRecord(const CliConfig& config, const RunRecorder& recorder,
                           const std::optional<Compression>& compression) {
    RunRecord record;
    if (compression) {
        FileRecord file{config.codec,
                        static_cast<int64_t>(compression->bytes.size()),
                        compression->psnr,
                        static_cast<int32_t>(compression->file.blocks.size()),
                        0,
                        compression->file.coding.precision,
                        compression->reached,
                        compression->file.samples,
                        compression->file.cosines
                            ? std::optional<int32_t>(compression->file.cosines->Terms())
                            : std::nullopt};
        if (file.samples)
            file.samples->values.clear();
        for (const FileBlock& block : compression->file.blocks)
            file.stages = std::max(file.stages, static_cast<int32_t>(block.stages.size()));
        record.formulaFile = file;
    }
    record.settings = config.settings;
    const auto& seeds = recorder.Seeds();
    for (int32_t i = 0; i < config.PopulationCount(); ++i) {
        PopulationRecord population;
        population.settings = config.settings.populations[i];
        population.number = i + 1;
        population.seed = static_cast<size_t>(i) < seeds.size() ? seeds[i] : 0;
        population.generations = config.settings.populations[i].generations;
        population.history = recorder.History(i);
        population.rawBytes = RawBytes(config.training.size);
        if (const auto& best = recorder.Best(i)) {
            population.best = best->text;
            population.bestProgram = best;
            population.figures = FiguresOf(*best);
            population.rawBytes = population.figures->rawBytes;
        }
        if (config.settings.keepFronts) {
            population.front = recorder.Front(i);
            population.bytesFront = recorder.BytesFront(i);
        }
        record.populations.push_back(std::move(population));
    }
    record.memo = recorder.Memo();
    record.outputName = config.outputName;
    return record;
}

QJsonValue FloatJson(float value) {
    // Written shortest, the double of a float reads back as that float.
    return DoubleJson(static_cast<double>(value));
}

QJsonValue DoubleJson(double value) {
    if (std::isnan(value))
        return QStringLiteral("nan");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    return value;
}

QByteArray RunRecordJson(const RunRecord& record) {
    QJsonArray populations;
    for (const PopulationRecord& population : record.populations)
        populations.append(PopulationJson(population, record.outputName));
    QJsonObject root{{"settings", RunSettingsJson(record.settings)},
                     {"populations", populations},
                     {"memo", QString::fromStdString(record.memo)}};
    if (record.formulaFile)
        root["formulaFile"] = FileJson(*record.formulaFile);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

} // namespace quba
