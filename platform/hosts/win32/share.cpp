// Ctrl+S and Ctrl+C in tavilo.exe: the board picture saved into the
// Pictures known folder, and the picture (CF_DIB) with the draw as text
// (CF_UNICODETEXT) on the clipboard, so that it pastes into a chat as an
// image or into an editor as a line.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/system.h"
#include "runtime/win32/calls.h"
#include "user/program.h"
#include "user/share.h"
#include "win32_host.h"

namespace win32host {

namespace {

constexpr wchar_t kTitle[] = L"Tavilo";
constexpr UINT_PTR kTitleTimer = 1;
// How long a note ("Saved ...") stays in the title bar.
constexpr UINT kTitleNoteMs = 4000;

void ShowTitleNote(HWND hwnd, const std::wstring& text) {
    SetWindowTextW(hwnd, text.c_str());
    SetTimer(hwnd, kTitleTimer, kTitleNoteMs, nullptr);
}

// Global memory holding bytes, for SetClipboardData, which takes it over.
HGLOBAL GlobalCopy(const void* bytes, size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (memory == nullptr) {
        return nullptr;
    }
    void* to = GlobalLock(memory);
    std::memcpy(to, bytes, size);
    GlobalUnlock(memory);
    return memory;
}

// The picture as a packed DIB: the header, then 32-bit rows from the bottom
// up, as every program that pastes images reads them.
std::vector<uint8_t> PictureDib(const uint32_t* frame) {
    std::vector<uint32_t> picture;
    share::BoardPicture(frame, &picture);
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = share::kPictureWidth;
    header.biHeight = share::kPictureHeight;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    header.biSizeImage = share::kPictureWidth * share::kPictureHeight * 4;
    std::vector<uint8_t> dib(sizeof header + header.biSizeImage);
    std::memcpy(dib.data(), &header, sizeof header);
    const size_t row = size_t(share::kPictureWidth) * 4;
    for (int y = 0; y < share::kPictureHeight; ++y) {
        // 0x00RRGGBB is B, G, R, 0 in memory: a BI_RGB pixel as it is.
        std::memcpy(dib.data() + sizeof header + size_t(share::kPictureHeight - 1 - y) * row,
                    picture.data() + size_t(y) * share::kPictureWidth, row);
    }
    return dib;
}

}  // namespace

bool TitleNoteTimer(HWND hwnd, UINT_PTR timer) {
    if (timer != kTitleTimer) {
        return false;
    }
    KillTimer(hwnd, kTitleTimer);
    SetWindowTextW(hwnd, kTitle);
    return true;
}

void SavePicture(HWND hwnd, const uint32_t* frame) {
    std::string name;
    std::string reason;
    if (share::SaveBoardPicture(frame, sys::PicturesDir(), &name, &reason) == 0) {
        ShowTitleNote(hwnd, win32sys::Wide(DescribeShareNote(ShareNote::Saved, name)));
    } else {
        ShowTitleNote(hwnd, win32sys::Wide(DescribeShareNote(ShareNote::SaveFailed, reason)));
    }
}

void CopyResult(HWND hwnd, const uint32_t* frame) {
    const std::wstring text = win32sys::Wide(DescribeResult());
    const std::vector<uint8_t> dib = PictureDib(frame);
    HGLOBAL textMemory = GlobalCopy(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    HGLOBAL dibMemory = GlobalCopy(dib.data(), dib.size());
    bool copied = false;
    if (textMemory != nullptr && dibMemory != nullptr && OpenClipboard(hwnd)) {
        EmptyClipboard();
        // The clipboard owns what it accepted; only what it refused is ours
        // to free.
        if (SetClipboardData(CF_UNICODETEXT, textMemory) != nullptr) {
            textMemory = nullptr;
        }
        if (SetClipboardData(CF_DIB, dibMemory) != nullptr) {
            dibMemory = nullptr;
        }
        copied = textMemory == nullptr && dibMemory == nullptr;
        CloseClipboard();
    }
    if (textMemory != nullptr) {
        GlobalFree(textMemory);
    }
    if (dibMemory != nullptr) {
        GlobalFree(dibMemory);
    }
    ShowTitleNote(hwnd, win32sys::Wide(DescribeShareNote(copied ? ShareNote::Copied : ShareNote::CopyFailed, "")));
}

}  // namespace win32host
