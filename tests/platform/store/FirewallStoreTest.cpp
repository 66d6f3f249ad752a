// The firewall rule store: rules with awkward texts round-trip, an existing rule is left as it
// is, removal, and a store that cannot be written reports failure.
#include "platform/Firewall.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

TEST(FirewallStore, AddFindRemoveAndFailedWrites)
{
    testsupport::TempDir state("state");
    const std::string previous = std::getenv("PICTAVO_STATE_DIR");
    ::setenv("PICTAVO_STATE_DIR", state.path().c_str(), 1);

    platform::FirewallRule rule;
    rule.name = L"Pictavo\tPro\\1";
    rule.application = L"/home/a b/Pictavo\nx";
    rule.description = L"描述";
    ASSERT_TRUE(platform::FirewallStore::Add(rule));
    platform::FirewallRule other = rule;
    other.name = L"Other";
    ASSERT_TRUE(platform::FirewallStore::Add(other));

    platform::FirewallRule replacement = rule;
    replacement.application = L"/elsewhere";
    EXPECT_TRUE(platform::FirewallStore::Add(replacement));
    platform::FirewallRule found;
    ASSERT_TRUE(platform::FirewallStore::Find(rule.name, &found));
    EXPECT_EQ(found.application, rule.application) << "an existing rule is left as it is";
    EXPECT_EQ(found.description, rule.description);
    EXPECT_EQ(found.direction, 1);
    EXPECT_EQ(found.protocol, 6);
    EXPECT_EQ(found.profiles, 0x7FFFFFFF);
    EXPECT_TRUE(found.enabled);
    EXPECT_EQ(platform::FirewallStore::List().size(), 2u);

    EXPECT_TRUE(platform::FirewallStore::Remove(rule.name));
    EXPECT_FALSE(platform::FirewallStore::Find(rule.name, nullptr));
    EXPECT_TRUE(platform::FirewallStore::Find(L"Other", nullptr));
    EXPECT_TRUE(platform::FirewallStore::Remove(L"never added"));
    platform::FirewallRule unnamed;
    EXPECT_FALSE(platform::FirewallStore::Add(unnamed));

    // The store's folder is a file: nothing can be written, and both calls say so.
    testsupport::TempDir broken("broken");
    testsupport::WriteFile(broken / "firewall", "not a folder");
    ::setenv("PICTAVO_STATE_DIR", broken.path().c_str(), 1);
    EXPECT_FALSE(platform::FirewallStore::Add(other));
    EXPECT_FALSE(platform::FirewallStore::Remove(L"Other"));
    ::setenv("PICTAVO_STATE_DIR", previous.c_str(), 1);
}
