#pragma once

/// Start-up of the common control classes. Qt needs no initialisation, but the contract stays: callers ask
/// for a class group and learn whether it is available.
class cInitComn {
public:
    /// Class group of the bar controls, which include the tool tip.
    static constexpr int ICC_BAR_CLASSES = 4;

    /// Makes the classes in `flags` available; returns `flags` on success, -1 otherwise.
    int InitControls(int flags);
};
