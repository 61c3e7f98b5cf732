#include "Announcement.h"

#include <gtest/gtest.h>

namespace {

struct AddressCase {
    const char* text;
    const char* address;
    bool listed;
};

class AnnouncementAddressTest : public ::testing::TestWithParam<AddressCase> {};

TEST_P(AnnouncementAddressTest, ExtractsAndChecksTheAddress) {
    const AddressCase& c = GetParam();
    const QString address = devlist::announcementAddress(QString::fromUtf8(c.text));
    EXPECT_EQ(address, QString::fromUtf8(c.address));
    EXPECT_EQ(devlist::isIpv4Address(address), c.listed);
}

INSTANTIATE_TEST_SUITE_P(
    Announcements, AnnouncementAddressTest,
    ::testing::Values(
        // One separator before the colon: exactly the address.
        AddressCase{"192.168.2.101 :SN=K150-0042 fw=1.2", "192.168.2.101", true},
        AddressCase{"192.168.2.101\t:x", "192.168.2.101", true},
        AddressCase{"255.255.255.255 :x", "255.255.255.255", true},
        // Colon straight after the address: its last character is lost.
        AddressCase{"192.168.2.101:x", "192.168.2.10", true},
        AddressCase{"10.0.0.5:x", "10.0.0.", false},
        AddressCase{"1.2.3.4x:y", "1.2.3.4", true},
        // Only the first colon counts.
        AddressCase{"10.1.2.3 :a:b:c", "10.1.2.3", true},
        // No colon: the whole text is the address.
        AddressCase{"10.0.0.1", "10.0.0.1", true},
        AddressCase{"10.0.0.1 K150", "10.0.0.1 K150", false},
        AddressCase{"", "", false},
        // Nothing before the colon.
        AddressCase{":10.0.0.1", "", false},
        // Not a dotted IPv4 address.
        AddressCase{"256.1.1.1 :x", "256.1.1.1", false},
        AddressCase{"1.2.3.4.5 :x", "1.2.3.4.5", false},
        AddressCase{" 1.2.3.4 :x", " 1.2.3.4", false},
        AddressCase{"1.2.3.4  :x", "1.2.3.4 ", false},
        AddressCase{"1.2.3.1000 :x", "1.2.3.1000", false},
        AddressCase{"fe80::1 :x", "fe8", false}));

}  // namespace
