#pragma once

namespace zentrivo {

/// Asks the user, before the first import on this machine, whether to take the configuration
/// found in the cloud store.
class CloudImportQuestion {
public:
    CloudImportQuestion() = default;
    virtual ~CloudImportQuestion() = default;
    CloudImportQuestion(const CloudImportQuestion&) = delete;
    CloudImportQuestion& operator=(const CloudImportQuestion&) = delete;

    /// Blocks until answered; true only for "Yes".
    virtual bool askToImportExisting() = 0;
};

} // namespace zentrivo
