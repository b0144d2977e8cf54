#include "window_probe_win32.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "base/text.h"

namespace zeltor {

std::string windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
    const int copied = GetWindowTextW(window, reinterpret_cast<LPWSTR>(text.data()), length + 1);
    text.resize(static_cast<std::size_t>(copied));
    return utf16ToUtf8(text);
}

std::string controlText(HWND dialog, int id) {
    return windowText(GetDlgItem(dialog, id));
}

bool controlVisible(HWND dialog, int id) {
    return (GetWindowLongPtrW(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

bool controlEnabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

std::string className(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return utf16ToUtf8(reinterpret_cast<const char16_t*>(name));
}

RECT controlRect(HWND dialog, int id) {
    RECT rect{};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

RECT dialogUnitsToPixels(HWND dialog, const DialogUnits& units) {
    RECT rect{units.x, units.y, units.x + units.width, units.y + units.height};
    MapDialogRect(dialog, &rect);
    return rect;
}

std::vector<int> childIdsInOrder(HWND dialog) {
    std::vector<int> ids;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        ids.push_back(GetDlgCtrlID(child));
    }
    return ids;
}

SIZE iconSize(HICON icon) {
    ICONINFO info{};
    if (icon == nullptr || !GetIconInfo(icon, &info)) {
        return SIZE{0, 0};
    }
    BITMAP bitmap{};
    GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
    if (info.hbmColor != nullptr) {
        DeleteObject(info.hbmColor);
    }
    DeleteObject(info.hbmMask);
    return SIZE{bitmap.bmWidth, bitmap.bmHeight};
}

namespace {

struct DialogSearch {
    int id;
    HWND found;
};

BOOL CALLBACK findDialog(HWND window, LPARAM lParam) {
    auto& search = *reinterpret_cast<DialogSearch*>(lParam);
    if (IsWindowVisible(window) && GetDlgItem(window, search.id) != nullptr) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND findShownDialogWith(int id) {
    DialogSearch search{id, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), findDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool saveScreenshot(HWND window, const std::string& name) {
    const char* folder = std::getenv("ZELTOR_SCREENSHOT_DIR");
    if (folder == nullptr || *folder == '\0') {
        return false;
    }
    // What is waiting to be painted is painted now, in the order it was asked for. Invalidating
    // everything would repaint the instruction line over the progress bar, which its rectangle
    // overlaps, and show a picture the person never sees.
    RedrawWindow(window, nullptr, nullptr, RDW_ALLCHILDREN | RDW_UPDATENOW);
    GdiFlush();
    RECT rect;
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = -height;  // top-down rows
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    void* bits = nullptr;
    const HDC source = GetWindowDC(window);
    const HDC memory = CreateCompatibleDC(source);
    const HBITMAP bitmap = CreateDIBSection(source, reinterpret_cast<BITMAPINFO*>(&header),
                                            DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
    GdiFlush();
    // GDI leaves the fourth byte of what it draws at 0; as alpha that would make text and
    // backgrounds transparent.
    auto* pixels = static_cast<std::uint8_t*>(bits);
    for (std::size_t i = 3; i < static_cast<std::size_t>(width) * height * 4; i += 4) {
        pixels[i] = 0xFF;
    }
    const DWORD imageBytes = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + imageBytes;
    const std::string path = std::string(folder) + "\\" + name + ".bmp";
    FILE* out = std::fopen(path.c_str(), "wb");
    bool written = false;
    if (out != nullptr) {
        written = std::fwrite(&file, sizeof(file), 1, out) == 1 &&
                  std::fwrite(&header, sizeof(header), 1, out) == 1 &&
                  std::fwrite(bits, imageBytes, 1, out) == 1;
        written = std::fclose(out) == 0 && written;
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, source);
    return written;
}

}  // namespace zeltor
