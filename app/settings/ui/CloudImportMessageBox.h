#pragma once

#include "app/settings/CloudImportQuestion.h"

namespace zentrivo {

/// The first-import question as a modal warning box.
class CloudImportMessageBox final : public CloudImportQuestion {
public:
    bool askToImportExisting() override;
};

} // namespace zentrivo
