#include "image/ImagePreparation.h"

#include "common/Codepage.h"
#include "image/ImageFileIO.h"
#include "params/SettingsBlock.h"

#include <QFileInfo>
#include <algorithm>

namespace image {
namespace {

// Loads the file whole: ImageLen its length, ImageData its bytes and one spare 0.
int LoadImage(const QString& path, ImageState& image)
{
    if (!FileNameUsable(path)) return PrepNoFile;
    const auto length = MeasureFile(path);
    if (!length) return PrepNoFile;
    if (*length > kMaxImageLen) return PrepTooLarge;
    auto bytes = ReadWholeFile(path);
    if (!bytes || static_cast<int64_t>(bytes->size()) > kMaxImageLen) return PrepNoFile;
    image.ImageLen = static_cast<int32_t>(bytes->size());
    bytes->push_back(0);
    image.ImageData = std::move(*bytes);
    return PrepOk;
}

bool RecordAreaBlank(const ImageState& image)
{
    ImageInfoRecord existing;
    existing.FromBytes(image.ImageData.data(), static_cast<size_t>(image.ImageLen),
                       kImageInfoOffset);
    return existing.DeviceID == -1;
}

int CopySettings(params::ParamState& params, ImageState& image)
{
    const params::ProtoInfoRecord& info = params.ProtoInfo[0];
    const int dataLen = info.DataLen;
    if (image.ImageLen < kSettingsCopyOffset2 + dataLen) return PrepTooShort;
    if (dataLen < 1 || static_cast<int>(params.SetData.size()) < dataLen) return PrepSettingsInvalid;
    if (params::StampBlockCrc(params.SetData, info) > 0) return PrepSettingsInvalid;
    const auto first = params.SetData.begin();
    std::copy(first, first + dataLen, image.ImageData.begin() + kSettingsCopyOffset1);
    std::copy(first, first + dataLen, image.ImageData.begin() + kSettingsCopyOffset2);
    return PrepOk;
}

}  // namespace

QString DateUpdatedText(const QDate& date)
{
    return QString::number(date.year() - 2000) + QString::number(date.month()) +
           QString::number(date.day());
}

ImageInfoRecord PreparedRecord(const PrepareOptions& options)
{
    ImageInfoRecord record;
    record.DeviceID = -1;
    record.Reserved = -1;
    record.DateUpdated = common::FixedText(DateUpdatedText(options.today), 6);
    record.OrderID = common::FixedText(options.OrderID, 30);
    record.Remark = common::FixedText(QString::fromLatin1(kImageSignature), 10);
    return record;
}

int StampImageInfo(const QString& path, const PrepareOptions& options, params::ParamState& params,
                   ImageState& image, ImageInfoRecord& imageInfo)
{
    if (const int loaded = LoadImage(path, image); loaded != PrepOk) return loaded;
    if (image.ImageLen < kImageRecordEnd) return PrepTooShort;
    if (!RecordAreaBlank(image)) return PrepRecordNotBlank;
    if (options.CurrSet) {
        if (const int copied = CopySettings(params, image); copied != PrepOk) return copied;
    }
    imageInfo = PreparedRecord(options);
    const common::Bytes record = imageInfo.ToBytes();
    std::copy(record.begin(), record.end(), image.ImageData.begin() + kImageInfoOffset);
    return PrepOk;
}

}  // namespace image
