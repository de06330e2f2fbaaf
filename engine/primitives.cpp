#include "engine/primitives.h"

namespace quba {

std::optional<PrimitiveId> PrimitiveByCliName(std::string_view name) {
    for (const Primitive& primitive : kPrimitives)
        if (name == primitive.cliName)
            return primitive.id;
    return std::nullopt;
}

} // namespace quba
