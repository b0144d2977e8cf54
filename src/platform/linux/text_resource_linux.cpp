#include "firmware/text_resource.h"
#include "platform/linux/embedded_resources_linux.h"

namespace zeltor {

ModuleHandle ownModule() {
    return zeltor_embedded_resources;
}

bool LoadTextResource(ModuleHandle module, int id, const std::uint8_t*& data, std::size_t& size) {
    if (module == nullptr) {
        return false;
    }
    for (auto* r = static_cast<const EmbeddedResource*>(module); r->id != 0; ++r) {
        if (r->id == id) {
            if (r->end == r->begin) {
                return false;
            }
            data = r->begin;
            size = static_cast<std::size_t>(r->end - r->begin);
            return true;
        }
    }
    return false;
}

}  // namespace zeltor
