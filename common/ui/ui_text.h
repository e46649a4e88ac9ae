#pragma once
// File names are bytes. A name is turned into a QString only to be shown; every action
// takes the engine's bytes. These are the only conversions between the two.

#include <QString>
#include <QUrl>
#include <string>
#include <string_view>

namespace pw {

// The text a control shows for bytes: UTF-8 where valid, each invalid byte a replacement
// character.
QString displayText(std::string_view bytes);

// What the user typed into a control, as the engine's UTF-8 bytes.
std::string typedText(const QString& text);

// A path the system's file dialogs answered with, in the file system's own encoding.
std::string dialogPath(const QString& path);

// A file:// URL for the exact bytes of an absolute path: every byte outside the unreserved
// set is percent-encoded, so a name that is not valid UTF-8 reaches the handler unchanged.
QUrl fileUrl(std::string_view pathBytes);

} // namespace pw
