#pragma once
// Notifications a table sends to its data sources (internal to the engine).
namespace jadl::detail {

enum DataEvent : int {
    EvDataSetChanged,
    EvDataSetScrolled,
    EvRecordChanged,
    EvStateChanged,
    EvUpdateRecord,
};

} // namespace jadl::detail
