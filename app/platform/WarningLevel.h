#pragma once

/// How severe the warnings in force are, least severe first (None: nothing in force, or not known).
enum class WarningLevel {
    None,
    Advisory, ///< 注意報
    Warning,  ///< 警報
    Danger,   ///< 危険警報
    Emergency ///< 特別警報
};
