// The request attributes the framework drops are kept per job, in memory and in a file only the
// service reads, survive a restart for the jobs still queued, and go with their job.
#include "request_capture.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "support/filter_runner.h"

namespace tf::app {
namespace {

TEST(RequestCaptureTest, EveryValueSurvivesItsFile) {
  CapturedRequest request;
  request.password = "12 \"34\"\n\\x";
  request.passwordEncryption = "sha2-256";
  request.originatingHost = "[v1.fd00::2]";
  const std::string text = CapturedRequestStore::Encode(request);
  const CapturedRequest back = CapturedRequestStore::Decode(text);
  EXPECT_EQ(back.password, request.password);
  EXPECT_EQ(back.passwordEncryption, request.passwordEncryption);
  EXPECT_EQ(back.originatingHost, request.originatingHost);

  const CapturedRequest none = CapturedRequestStore::Decode(CapturedRequestStore::Encode({}));
  EXPECT_FALSE(none.password);
  EXPECT_FALSE(none.passwordEncryption);
  EXPECT_EQ(none.originatingHost, "");
}

TEST(RequestCaptureTest, QueuedJobsKeepTheirRequestAcrossARestart) {
  test::TempDir dir;
  const std::string folder = dir.File("requests");
  CapturedRequest secure;
  secure.password = "1234\n";  // refused later by the job core, never cut to 1234
  secure.originatingHost = "192.0.2.5";
  {
    CapturedRequestStore store(folder);
    std::string error;
    ASSERT_TRUE(store.Save(1, 7, secure, &error)) << error;
    ASSERT_TRUE(store.Save(1, 8, {}, &error)) << error;
    ASSERT_TRUE(store.Save(2, 7, {}, &error)) << error;
    struct stat info {};
    ASSERT_EQ(::stat((folder + "/p1j7.request").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(store.Find(1, 7)->password, "1234\n");
    store.Remove(1, 8);
    EXPECT_FALSE(store.Find(1, 8));
  }
  // The next run: job 1/7 is still queued, 2/7 is not.
  CapturedRequestStore store(folder);
  EXPECT_FALSE(store.Find(1, 7));
  store.Reload({{1, 7}});
  ASSERT_TRUE(store.Find(1, 7));
  EXPECT_EQ(store.Find(1, 7)->password, "1234\n");
  EXPECT_EQ(store.Find(1, 7)->originatingHost, "192.0.2.5");
  EXPECT_FALSE(store.Find(2, 7));
  EXPECT_FALSE(test::ReadFile(folder + "/p2j7.request"));
  EXPECT_FALSE(test::ReadFile(folder + "/p1j8.request"));
}

TEST(RequestCaptureTest, OnlyTheLoopbackIsThisMachine) {
  for (const char* local : {"127.0.0.1", "127.1.2.3", "[v1.::1]", "::1", "localhost", ""}) {
    EXPECT_TRUE(IsLoopbackAddress(local)) << local;
  }
  for (const char* remote : {"192.0.2.5", "[v1.fd00::2]", "128.0.0.1", "localhost.example"}) {
    EXPECT_FALSE(IsLoopbackAddress(remote)) << remote;
  }
}

}  // namespace
}  // namespace tf::app
