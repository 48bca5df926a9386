#pragma once
// Preparation of a firmware image for programming: the file read whole, the information
// record stamped at offset 1024 and, with "CurrSet", two copies of the setting block.

#include "image/ImageTypes.h"
#include "params/ParamTypes.h"

#include <QDate>
#include <QString>
#include <cstdint>

namespace image {

// Results of StampImageInfo; callers treat anything but PrepOk as failure.
enum PrepareResult : int {
    PrepOk = 0,
    PrepRecordNotBlank = 1,   // DeviceID at offset 1024 is not -1
    PrepSettingsInvalid = 2,  // "CurrSet" ticked and the setting block cannot be stamped
    PrepNoFile = 3,           // no usable name, no such file, or the file cannot be read
    PrepTooShort = 4,         // no whole record area, or no room for the setting copies
    PrepTooLarge = 5,         // beyond the flash that the one-byte page number reaches
};

constexpr int kSettingsCopyOffset1 = 2048;  // flash 0x08002800
constexpr int kSettingsCopyOffset2 = 3072;  // flash 0x08002C00
constexpr int kImageRecordEnd = kImageInfoOffset + kImageInfoSize;  // 1074

// Image byte k goes to flash page 8 + k / 1024, and page numbers travel as one byte.
// The last page is closed with ImageLen / 1024 + 8 rounded halves to even, so the
// longest image keeps that number at 255: page 255 holding fewer than 512 bytes.
constexpr int32_t kFirstImagePage = 8;
constexpr int32_t kMaxImageLen = (255 - kFirstImagePage) * 1024 + 511;

constexpr const char* kImageSignature = "K300Tavrin";

// What the window supplies to a preparation.
struct PrepareOptions {
    bool CurrSet = false;  // Check1(2)
    QString OrderID;       // text of NotesTxt(5)
    QDate today;
};

// DateUpdated text: year minus 2000, month and day without leading zeros ("26129").
QString DateUpdatedText(const QDate& date);

// The record that preparation stamps: both integers -1, the date, the order number and
// the signature, each text cut or blank-padded to its width.
ImageInfoRecord PreparedRecord(const PrepareOptions& options);

// Reads the file at `path` into `image` and prepares it. On PrepOk `imageInfo` holds the
// stamped record. With PrepRecordNotBlank, PrepSettingsInvalid and PrepTooShort the file
// has been read and `image` holds it unstamped; with PrepNoFile and PrepTooLarge `image`
// is unchanged. `imageInfo` changes only on PrepOk.
int StampImageInfo(const QString& path, const PrepareOptions& options, params::ParamState& params,
                   ImageState& image, ImageInfoRecord& imageInfo);

}  // namespace image
