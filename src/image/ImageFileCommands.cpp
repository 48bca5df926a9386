#include "image/ImageFileCommands.h"

#include "image/ImageFileIO.h"

#include <algorithm>

namespace image {

const char* const kDataErrorText = "Data error!";
const char* const kWriteErrorText = "File write error!";
const char* const kSaveImageFilter = "文件(*.BIN)|*.BIN";

common::Bytes MergeImages(const common::Bytes& head, const common::Bytes& tail)
{
    const size_t headBytes = std::min<size_t>(head.size(), kMergeHeadSize);
    common::Bytes merged(kMergeHeadSize + tail.size(), 0);
    std::copy_n(head.begin(), headBytes, merged.begin());
    std::copy(tail.begin(), tail.end(), merged.begin() + kMergeHeadSize);
    return merged;
}

ImageFileCommands::ImageFileCommands(ImageState& image, ImageInfoRecord& imageInfo,
                                     params::ParamState& params, common::Dialogs& dialogs,
                                     QString programFolder, LogLine appendLog)
    : image_(image), imageInfo_(imageInfo), params_(params), dialogs_(dialogs),
      programFolder_(std::move(programFolder)), appendLog_(std::move(appendLog))
{
}

QString ImageFileCommands::AskOpen()
{
    return dialogs_.OpenFileName(QString(), QString::fromUtf8(kSaveImageFilter), programFolder_);
}

QString ImageFileCommands::AskSave()
{
    return dialogs_.SaveFileName(QString(), QString::fromUtf8(kSaveImageFilter), programFolder_);
}

FileCommandResult ImageFileCommands::Write(const QString& path, const common::Bytes& bytes)
{
    if (WriteWholeFile(path, bytes)) return FileCommandResult::Written;
    dialogs_.Message(QString::fromUtf8(kWriteErrorText), QStringLiteral("Hint"),
                     common::MsgIcon::Exclamation, common::MsgButtons::Ok);
    return FileCommandResult::WriteFailed;
}

FileCommandResult ImageFileCommands::SavePro_Click(const PrepareOptions& options)
{
    if (StampImageInfo(image_.ImageFile, options, params_, image_, imageInfo_) != PrepOk) {
        appendLog_(QString::fromLatin1(kDataErrorText));
        return FileCommandResult::PrepareFailed;
    }
    const QString target = AskSave();
    if (target.isEmpty()) return FileCommandResult::Cancelled;
    const auto first = image_.ImageData.begin();
    return Write(target, common::Bytes(first, first + image_.ImageLen));
}

FileCommandResult ImageFileCommands::MCompFile_Click()
{
    const QString headPath = AskOpen();
    if (headPath.isEmpty()) return FileCommandResult::Cancelled;
    const auto head = ReadFileHead(headPath, kMergeHeadSize);
    if (!head) return FileCommandResult::ReadFailed;

    const QString tailPath = AskOpen();
    if (tailPath.isEmpty()) return FileCommandResult::Cancelled;
    const auto tail = ReadWholeFile(tailPath);
    if (!tail) return FileCommandResult::ReadFailed;

    const QString target = AskSave();
    if (!FileNameUsable(target)) return FileCommandResult::Cancelled;
    return Write(target, MergeImages(*head, *tail));
}

}  // namespace image
