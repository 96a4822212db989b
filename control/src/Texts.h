// The control's own notification texts (events and status lines), and a safe
// printf-style formatter for them.
#pragma once

#include <string>

namespace lumavox::nvs {

// Longest text carried by one notification.
constexpr size_t kMaxNotifyText = 2047;

std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

namespace text {
// Connection.
inline constexpr const char* kHostReady = "The connection is from out of OCX, and had been setup.";
inline constexpr const char* kHostBad =
    "The connection is from out of OCX, and the connection is not correct!";
inline constexpr const char* kComReady = "Is ready to open COM%d...";
inline constexpr const char* kComOpened =
    "Open COM%d successfully, now can start to send data to sign";
inline constexpr const char* kComFailed =
    "Open COM%d failed, this comport maybe occupied by another software, please close it and "
    "try again!";
inline constexpr const char* kTcpReady = "Is ready to connect with %s(Port = %d)...";
inline constexpr const char* kTcpOpened = "Setup TCP connection with %s(Port = %d) successfully!";
inline constexpr const char* kTcpFailed = "Setup TCP connection with %s(Port = %d) failed: %s";
inline constexpr const char* kNoModem =
    "Now only support RS232 and LAN connection, or the modem connection is from outside!";
inline constexpr const char* kIpBlank = "IP Address can't be left blank!";
inline constexpr const char* kConnectTimeOut = "Connect time out(Max is %d second)";
inline constexpr const char* kConnectFailed = "Connect failed: %s";
inline constexpr const char* kOpenSocketFailed = "Open socket failed: %s";
inline constexpr const char* kIoctlFailed = "ioctlsocket() failed: %s";
// Sending and receiving.
inline constexpr const char* kSendError = "send error:%s";
inline constexpr const char* kTerminated = "The connection has terminated by other side";
inline constexpr const char* kShortSend =
    "Want to send %d bytes, but now sent %d bytes. It maybe occur some errors, exit sending.";
inline constexpr const char* kRecvError = "recv error:%s";
inline constexpr const char* kInvalidSocket = "Invalidate socket!";
inline constexpr const char* kCancelled = "Sending cancelled by user!";
inline constexpr const char* kNoConnection = "Please create the connection with sign firstly!";
inline constexpr const char* kNoConnectionRead = "Please create the connection wiith sign firstly!";
inline constexpr const char* kWriteComError = "Write data to comport error!";
inline constexpr const char* kReadComError = "Read data from comport error!";
inline constexpr const char* kReadModemError = "Read data from modem error!";
inline constexpr const char* kReadLanError = "Read data from LAN error!";
inline constexpr const char* kStepFailed = "%s - %s";
inline constexpr const char* kCheckResponse =
    "%s - Data has been sent over, now will check the response from sign";
inline constexpr const char* kSentOver = "%s - Data has been sent over!";
inline constexpr const char* kTimeOut = "%s - Time out for checking response!";
// Jobs and transmissions.
inline constexpr const char* kPleaseWait = "%s - please wait...";
inline constexpr const char* kNoData = "There are no data to send!";
inline constexpr const char* kNoFile = "The file to be sent is not exist!";
inline constexpr const char* kAllSentIp =
    "All data had been sent to sign(%s) in IP %s successfully!";
inline constexpr const char* kAllSent = "All data had been sent to sign(%s) successfully!";
inline constexpr const char* kInIp = " in IP ";
inline constexpr const char* kDescClear = "Send clear sign memory command to sign";
inline constexpr const char* kDescTime = "Send PC's date and time to sign";
inline constexpr const char* kDescAddress = "Send 'changing sign's address' command to sign";
inline constexpr const char* kDescPowerOn = "Send 'power on' command to sign";
inline constexpr const char* kDescPowerOff = "Send 'power off' command to sign";
inline constexpr const char* kDescRunSequence = "Send 'set run sequence' command to sign";
inline constexpr const char* kDescCommand = "%s '%s'";
inline constexpr const char* kDescAllocText =
    "Send alloc memory command for text file '%s' to sign '%s'";
inline constexpr const char* kDescAllocDisk =
    "Send alloc memory command for graphic file '%s' to sign '%s'";
inline constexpr const char* kDescText = "Send text file '%s' to sign '%s'";
inline constexpr const char* kDescDisk = "Send graphic file '%s' to sign '%s'";
}  // namespace text

}  // namespace lumavox::nvs
