#pragma once
// The properties of one file of the result list in a small window of its own: name,
// folder, type, size, modification time, owner, group and permissions. It does not block
// the main window; several may stand open at once.

#include "fileops/file_actions.h"

#include <QDialog>

namespace pw {

class FilePropertiesFrm : public QDialog {
    Q_OBJECT

public:
    explicit FilePropertiesFrm(const FileProperties& properties, QWidget* parent = nullptr);
};

} // namespace pw
