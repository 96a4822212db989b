#include "strings/GprsTexts.h"

namespace lumavox {

void addGprsTexts(std::map<int, std::string>& t) {
    t[msg::kGprsClientNotConnected] =
        "The client %s has not connect to server.  Please wait a moment and try again!";
    t[msg::kGprsClientConnected] = "The client  %s has connected to server.";
    t[msg::kGprsSendFailed] = "Send message to client %s failed!";
    t[msg::kGprsDeviceNotFound] = "The connection from device %s not found!";
    t[msg::kGprsGroupNotExist] = "Sorry, the GPRS Group(%s) is not exist!";
    t[msg::kGprsGroupEmpty] = "Sorry, the GPRS Group(%s) has no GPRS Modem!";
    t[msg::kGprsMonitorStopNotice] =
        "You have change the communication mode to non-GPRS mode, now program will stop the "
        "thread for monitoring the connection from GPRS Modem(client).";
    t[msg::kGprsMonitorRestartNotice] =
        "You have change the server port(Old is %d, now is %d), program will stop the "
        "thread(monitoring the connection from client) and restart it. This operation will "
        "cause lost all connection from client which has established.\n IMPORTANT: If you "
        "change the server port in program, you must also change the server port in GPRS "
        "Modem, otherwise the client will not connect to server.";
    t[msg::kGprsMonitorStartNotice] =
        "You have change the communication mode to GPRS mode, now program will start the "
        "thread for monitoring the connection from GPRS Modem(client).";
    t[msg::kGprsAddGroupTitle] = "Add GPRS Group";
    t[msg::kGprsAddGroupPrompt] = "Input the name for new GPRS Group";
    t[msg::kGprsGroupNameBlank] = "Sorry, the name for GPRS Group can not be left blank!";
    t[msg::kGprsGroupNameExists] =
        "Sorry, this name(%s) for GPRS Group has exist. Please input another name.";
    t[msg::kGprsRenameGroupTitle] = "Edit GPRS Group Name";
    t[msg::kGprsRenameGroupPrompt] = "Input new name for this GPRS Group";
    t[msg::kGprsGroupEditTitle] = "GPRS Group Edit";
    t[msg::kGprsAvailableModems] = "Available GPRS Modem";
    t[msg::kGprsAddDeviceTitle] = "Add New GPRS Modem to Group";
    t[msg::kGprsDevicePrompt] = "Input the device name of GPRS Modem";
    t[msg::kGprsEditDeviceTitle] = "Edit Device Name of GPRS Modem";
    t[msg::kGprsDeviceNameBlank] = "The device name for GPRS Modem can not be left blank!";
    t[msg::kGprsDeviceExists] = "This GPRS Modem has exist.";
    t[msg::kGprsDeleteItemQuestion] = "Are you sure to delete this item?";
    t[msg::kGprsSelectGroupToDelete] = "Please select a group to be deleted firstly!";
    t[msg::kGprsDeleteGroupQuestion] = "Are you sure to delete group";
    t[msg::kGprsAvailableGroups] = "Available GPRS Group";
    t[msg::kGprsServerPort] = "Server Port";
    t[msg::kGprsRename] = "ReName";
    t[msg::kGprsExamineConnection] = "Examine Connection";
    t[msg::kGprsEditGroup] = "Edit Group...";
    t[msg::kGprsConnectionTitle] = "Connection";
    t[msg::kGprsAvailableConnections] = "Available connection from GPRS client";
    t[msg::kGprsRefresh] = "Refresh";
    t[msg::kGprsDetail] = "Detail";
    t[msg::kGprsDetailText] =
        "Detail for connection from device %s:\n    IP Address : \t%s\n    Device ID : \t%s\n    "
        "Device Type : \t%s\n    Phone : \t\t%s";
    t[msg::kGprsNameConflict] =
        "The GPRS Modem %s (device ID %s) was refused: the connected GPRS Modem with device ID %s "
        "already has this name.";
    t[msg::kGprsDeviceNameTooLong] = "The device name of a GPRS Modem has at most %d characters!";
    t[msg::kGprsAddButton] = "Add";
    t[msg::kGprsEditButton] = "Edit";
    t[msg::kGprsDeleteButton] = "Delete";
    t[msg::kGprsDeleteGroupButton] = "Delete Group";
    t[msg::kGprsAddGroupButton] = "Add Group";
    t[msg::kGprsServerFailed] = "The GPRS server cannot listen on port %d";
}

}  // namespace lumavox
