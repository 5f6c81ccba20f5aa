// The capability texts of the interface: what an effect may ask its host
// (HostCanDos, through canHostDo) and what a host may ask an effect
// (PlugCanDos, through the canDo opcode). A text that both tables name is the
// same array, so the two compare equal as pointers too.
#pragma once

namespace CanDoText {
inline constexpr char sendVstEvents[] = "sendVstEvents";
inline constexpr char sendVstMidiEvent[] = "sendVstMidiEvent";
inline constexpr char sendVstTimeInfo[] = "sendVstTimeInfo";
inline constexpr char receiveVstEvents[] = "receiveVstEvents";
inline constexpr char receiveVstMidiEvent[] = "receiveVstMidiEvent";
inline constexpr char receiveVstTimeInfo[] = "receiveVstTimeInfo";
inline constexpr char reportConnectionChanges[] = "reportConnectionChanges";
inline constexpr char acceptIOChanges[] = "acceptIOChanges";
inline constexpr char sizeWindow[] = "sizeWindow";
inline constexpr char offline[] = "offline";
inline constexpr char openFileSelector[] = "openFileSelector";
inline constexpr char closeFileSelector[] = "closeFileSelector";
inline constexpr char startStopProcess[] = "startStopProcess";
inline constexpr char shellCategory[] = "shellCategory";
inline constexpr char sendVstMidiEventFlagIsRealtime[] = "sendVstMidiEventFlagIsRealtime";
inline constexpr char midiProgramNames[] = "midiProgramNames";
inline constexpr char bypass[] = "bypass";
} // namespace CanDoText

namespace HostCanDos {
inline constexpr const char* canDoSendVstEvents = CanDoText::sendVstEvents;
inline constexpr const char* canDoSendVstMidiEvent = CanDoText::sendVstMidiEvent;
inline constexpr const char* canDoSendVstTimeInfo = CanDoText::sendVstTimeInfo;
inline constexpr const char* canDoReceiveVstEvents = CanDoText::receiveVstEvents;
inline constexpr const char* canDoReceiveVstMidiEvent = CanDoText::receiveVstMidiEvent;
inline constexpr const char* canDoReportConnectionChanges = CanDoText::reportConnectionChanges;
inline constexpr const char* canDoAcceptIOChanges = CanDoText::acceptIOChanges;
inline constexpr const char* canDoSizeWindow = CanDoText::sizeWindow;
inline constexpr const char* canDoOffline = CanDoText::offline;
inline constexpr const char* canDoOpenFileSelector = CanDoText::openFileSelector;
inline constexpr const char* canDoCloseFileSelector = CanDoText::closeFileSelector;
inline constexpr const char* canDoStartStopProcess = CanDoText::startStopProcess;
inline constexpr const char* canDoShellCategory = CanDoText::shellCategory;
inline constexpr const char* canDoSendVstMidiEventFlagIsRealtime = CanDoText::sendVstMidiEventFlagIsRealtime;
} // namespace HostCanDos

namespace PlugCanDos {
inline constexpr const char* canDoSendVstEvents = CanDoText::sendVstEvents;
inline constexpr const char* canDoSendVstMidiEvent = CanDoText::sendVstMidiEvent;
inline constexpr const char* canDoReceiveVstEvents = CanDoText::receiveVstEvents;
inline constexpr const char* canDoReceiveVstMidiEvent = CanDoText::receiveVstMidiEvent;
inline constexpr const char* canDoReceiveVstTimeInfo = CanDoText::receiveVstTimeInfo;
inline constexpr const char* canDoOffline = CanDoText::offline;
inline constexpr const char* canDoMidiProgramNames = CanDoText::midiProgramNames;
inline constexpr const char* canDoBypass = CanDoText::bypass;
} // namespace PlugCanDos
