#include "payload/find_payload.hpp"

#include "platform/resources/resource_module.hpp"

namespace payload {

vn::imemstream find_payload() {
    const auto bytes = platform::resources::resource_module::self().find(payload_resource_type, payload_resource_id);
    if (!bytes || bytes->empty()) {
        return vn::imemstream();
    }
    return vn::imemstream(reinterpret_cast<const char*>(bytes->data()), bytes->size());
}

}  // namespace payload
