#pragma once
// The message texts of the project subsystem.

#include <QString>

namespace project::msg {

inline const QString Hint = QStringLiteral("提示");
inline const QString NoNodeSelected = QStringLiteral("没有选择节点！");
inline const QString ChooseObject = QStringLiteral("请选择对象!");
inline const QString NotProjectFile = QStringLiteral("文件类型不匹配！");
inline const QString EmptyProject = QStringLiteral("空文件，无数据记录！");
inline const QString OverwriteQuestion = QStringLiteral("文件已存在，确定覆盖原文件吗？");
inline const QString LockedEnglish = QStringLiteral("Login user name or password error!");
inline const QString LockedEnglishTitle = QStringLiteral("Hint");
inline const QString LockedChinese = QStringLiteral("登录用户名或密码错误!");
inline const QString DataValid = QStringLiteral("成功获取保存数据");
inline const QString DataInvalid = QStringLiteral("保存数据校验无效");
inline const QString TreeHint = QStringLiteral("右键选择功能操作");

// Texts of this implementation for cases the design leaves without a message.
inline const QString FileError = QStringLiteral("工程文件读写失败！");
inline const QString DamagedFile = QStringLiteral("工程文件已损坏，部分节点未能加载！");
inline const QString NoProjectFile = QStringLiteral("没有打开的工程文件！");
inline const QString BackupFailed = QStringLiteral("工程备份文件无法更新！");
inline const QString PasteIntoItself = QStringLiteral("不能把剪切节点插入到它自己或它的子节点前！");

}  // namespace project::msg
