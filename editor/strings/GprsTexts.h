// The texts of the GPRS route: the device registry and its monitor, the GPRS
// channel's failures, the GPRS groups and their dialogs, and the "Connection"
// dialog.
#pragma once

#include <map>
#include <string>

namespace lumavox {

namespace msg {
enum : int {
    kGprsClientNotConnected = 35200,  // device name
    kGprsClientConnected = 35201,     // device name
    kGprsSendFailed = 35202,          // device name
    kGprsDeviceNotFound = 35203,      // device name
    kGprsGroupNotExist = 35204,       // group name
    kGprsGroupEmpty = 35205,          // group name
    kGprsMonitorStopNotice = 35206,
    kGprsMonitorRestartNotice = 35207,  // old port, new port
    kGprsMonitorStartNotice = 35208,
    kGprsAddGroupTitle = 35209,
    kGprsAddGroupPrompt = 35210,
    kGprsGroupNameBlank = 35211,
    kGprsGroupNameExists = 35212,  // group name
    kGprsRenameGroupTitle = 35213,
    kGprsRenameGroupPrompt = 35214,
    kGprsGroupEditTitle = 35215,
    kGprsAvailableModems = 35216,
    kGprsAddDeviceTitle = 35217,
    kGprsDevicePrompt = 35218,
    kGprsEditDeviceTitle = 35219,
    kGprsDeviceNameBlank = 35220,
    kGprsDeviceExists = 35221,
    kGprsDeleteItemQuestion = 35222,
    kGprsSelectGroupToDelete = 35223,
    kGprsDeleteGroupQuestion = 35224,
    kGprsAvailableGroups = 35225,
    kGprsServerPort = 35226,
    kGprsRename = 35227,
    kGprsExamineConnection = 35228,
    kGprsEditGroup = 35229,
    kGprsConnectionTitle = 35230,
    kGprsAvailableConnections = 35231,
    kGprsRefresh = 35232,
    kGprsDetail = 35233,
    kGprsDetailText = 35234,         // name, IP address, device ID, device type, phone
    kGprsNameConflict = 35235,       // name, refused device's ID, holder's ID
    kGprsDeviceNameTooLong = 35236,  // longest name
    kGprsAddButton = 35237,
    kGprsEditButton = 35238,
    kGprsDeleteButton = 35239,
    kGprsDeleteGroupButton = 35240,
    kGprsAddGroupButton = 35241,
    kGprsServerFailed = 35242,  // server port
};
}  // namespace msg

// Longest device name a DTU's registration record carries.
constexpr size_t kGprsDeviceNameMax = 8;

// Adds the built-in English texts above to the string table.
void addGprsTexts(std::map<int, std::string>& table);

}  // namespace lumavox
