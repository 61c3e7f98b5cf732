#pragma once

#include <QString>

// Reading a camera announcement: "<address><separator>:<fields>".
namespace devlist {

// The text before the character that precedes the first ':' (the separator is
// dropped with it); the whole text when there is no ':'.
QString announcementAddress(const QString& text);

// True for a dotted IPv4 address such as "192.168.2.101".
bool isIpv4Address(const QString& address);

}  // namespace devlist
