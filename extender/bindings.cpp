// One row per script function: the id and how its arguments reach the
// service, which success test applies and which delivery answers the host.
#include "bindings.hpp"

#include <array>

namespace bw {
namespace {

constexpr std::array bindings{
    Binding{0, kelt_last_error}, Binding{1, kelt_last_error_text}, Binding{2, kelt_version},
    Binding{3, kelt_version},    Binding{31, message_box},
};

} // namespace

const Binding *find_binding(int16_t id) {
    for (const Binding &binding : bindings)
        if (binding.id == id)
            return &binding;
    return nullptr;
}

} // namespace bw
