#include <windows.h>

#include "firmware/text_resource.h"

namespace zeltor {

ModuleHandle ownModule() {
    return GetModuleHandleW(nullptr);
}

bool LoadTextResource(ModuleHandle module, int id, const std::uint8_t*& data, std::size_t& size) {
    auto* hmodule = static_cast<HMODULE>(const_cast<void*>(module));
    HRSRC found = FindResourceW(hmodule, MAKEINTRESOURCEW(id), L"TEXT");
    if (found == nullptr) {
        return false;
    }
    HGLOBAL loaded = LoadResource(hmodule, found);
    if (loaded == nullptr) {
        return false;
    }
    const void* locked = LockResource(loaded);
    if (locked == nullptr) {
        return false;
    }
    data = static_cast<const std::uint8_t*>(locked);
    size = SizeofResource(hmodule, found);
    return size != 0;
}

}  // namespace zeltor
