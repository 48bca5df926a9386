#pragma once
// The File-menu commands on image files: saving the prepared image ("保存程序") and
// merging two image files into a third ("合并文件").

#include "common/Dialogs.h"
#include "image/ImagePreparation.h"

#include <QString>
#include <functional>

namespace image {

constexpr int kMergeHeadSize = 8192;  // the first file's part of a merged image (0x2000)

extern const char* const kDataErrorText;       // "Data error!"
extern const char* const kWriteErrorText;      // shown when a file could not be written
extern const char* const kSaveImageFilter;     // "文件(*.BIN)|*.BIN"

enum class FileCommandResult { Written, PrepareFailed, Cancelled, ReadFailed, WriteFailed };

// The merged image: the first 8192 bytes of `head` (0 beyond its end), then all of `tail`.
common::Bytes MergeImages(const common::Bytes& head, const common::Bytes& tail);

class ImageFileCommands {
public:
    using LogLine = std::function<void(const QString& message)>;

    // `imageInfo` is the program's ImageInfo; `programFolder` is where the dialogs start.
    ImageFileCommands(ImageState& image, ImageInfoRecord& imageInfo, params::ParamState& params,
                      common::Dialogs& dialogs, QString programFolder, LogLine appendLog);

    // SavePro_Click: prepares ImageFile and saves the prepared bytes under a chosen name.
    FileCommandResult SavePro_Click(const PrepareOptions& options);
    // MCompFile_Click: merges two chosen files into a third; ImageState is not touched.
    FileCommandResult MCompFile_Click();

private:
    QString AskOpen();
    QString AskSave();
    FileCommandResult Write(const QString& path, const common::Bytes& bytes);

    ImageState& image_;
    ImageInfoRecord& imageInfo_;
    params::ParamState& params_;
    common::Dialogs& dialogs_;
    QString programFolder_;
    LogLine appendLog_;
};

}  // namespace image
