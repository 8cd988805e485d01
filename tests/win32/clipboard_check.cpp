// Reads back what tavilo.exe's Ctrl+C put on the clipboard, for the checks
// under Wine: prints the CF_UNICODETEXT text as UTF-8 on standard output
// and writes the CF_DIB picture as a .bmp file. Exit status 1 when either
// is missing.
//
//   clipboard_check.exe PICTURE.bmp
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fputs("usage: clipboard_check PICTURE.bmp\n", stderr);
        return 2;
    }
    if (!OpenClipboard(nullptr)) {
        std::fputs("clipboard_check: cannot open the clipboard\n", stderr);
        return 1;
    }
    int status = 0;
    if (HANDLE text = GetClipboardData(CF_UNICODETEXT)) {
        const wchar_t* wide = static_cast<const wchar_t*>(GlobalLock(text));
        int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
        std::string utf8(n > 0 ? size_t(n) : 1, '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), n, nullptr, nullptr);
        GlobalUnlock(text);
        std::fwrite(utf8.c_str(), 1, utf8.size() - 1, stdout);
        std::fputc('\n', stdout);
    } else {
        std::fputs("clipboard_check: no text on the clipboard\n", stderr);
        status = 1;
    }
    if (HANDLE dib = GetClipboardData(CF_DIB)) {
        const auto* bytes = static_cast<const BYTE*>(GlobalLock(dib));
        const size_t size = GlobalSize(dib);
        const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(bytes);
        BITMAPFILEHEADER file{};
        file.bfType = 0x4D42;
        file.bfSize = static_cast<DWORD>(sizeof file + size);
        file.bfOffBits = static_cast<DWORD>(sizeof file + header->biSize);
        std::fprintf(stderr, "clipboard_check: picture %ld x %ld, %u bits\n", header->biWidth, header->biHeight,
                     header->biBitCount);
        FILE* out = _wfopen(argv[1], L"wb");
        if (out == nullptr || std::fwrite(&file, sizeof file, 1, out) != 1 || std::fwrite(bytes, 1, size, out) != size) {
            std::fputs("clipboard_check: cannot write the picture\n", stderr);
            status = 1;
        }
        if (out != nullptr) {
            std::fclose(out);
        }
        GlobalUnlock(dib);
    } else {
        std::fputs("clipboard_check: no picture on the clipboard\n", stderr);
        status = 1;
    }
    CloseClipboard();
    return status;
}
