#pragma once

namespace filmarch {

// How a scan run ended.
enum class ScanOutcome {
    NotStarted, // refused before anything was analysed (its message was shown)
    Finished,
    Stopped,             // by the user; what was saved stands
    CatalogueNotWritten, // a save failed or the catalogue could not be written (the user was told)
    Failed,              // an unexpected failure ended the run (the user was told)
};

} // namespace filmarch
