// The draw as a picture that leaves the device: the board area of the screen
// (everything above the menu bar) scaled up for a chat or a photo album, and
// saved as a new file beside the player's other pictures. Every host builds
// its save, copy and share on these, so that they all give the same pixels
// and the same names. Only standard headers here: the Windows host, which
// includes the system's <windows.h>, uses it too.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "gdi/screen_size.h"

namespace share {

// The board area, and the whole number it is scaled by: large enough to stay
// crisp where a chat shrinks it, small enough to send quickly.
constexpr int kBoardWidth = gdi::kScreenWidth;
constexpr int kBoardHeight = gdi::kScreenHeight - gdi::kMenuBarHeight;
constexpr int kPictureScale = 3;
constexpr int kPictureWidth = kBoardWidth * kPictureScale;
constexpr int kPictureHeight = kBoardHeight * kPictureScale;

// The board area of a screen (0x00RRGGBB, kScreenWidth per row) scaled by
// kPictureScale with nearest-neighbour sampling: kPictureWidth per row.
void BoardPicture(const uint32_t* screen, std::vector<uint32_t>* picture);

// The same picture as a PNG file's bytes. False only when memory is short.
bool BoardPicturePng(const uint32_t* screen, std::vector<uint8_t>* png);

// "Tavilo YYYY-MM-DD HH-MM-SS.png" for the given local time: the name a
// saved picture takes, ordered by date in any file list, without the colons
// that Windows forbids.
std::string PictureFileName(const std::tm& local);

// Writes bytes into folder (created when missing) as a new file called
// name, or, when a file of that name is there, the same with " (2)",
// " (3)" ... before the extension: an earlier file is never replaced. 0 with
// *taken set to the name used, or a Win32 error code with *reason in words;
// nothing is left behind then.
uint32_t SaveNewFile(const std::string& folder, const std::string& name, const std::vector<uint8_t>& bytes,
                     std::string* taken, std::string* reason);

// Saves the screen's board picture into folder as SaveNewFile does, named
// PictureFileName of the local time now.
uint32_t SaveBoardPicture(const uint32_t* screen, const std::string& folder, std::string* name,
                          std::string* reason);

}  // namespace share
