#include "framelist/SplitFields.h"

#include <gtest/gtest.h>

TEST(SplitFields, FollowsTheQuotingRules) {
  struct Case {
    QString line;
    QStringList fields;
  } cases[] = {
      {"", {}},
      {"a;b;c", {"a", "b", "c"}},
      {"a;;c", {"a", "", "c"}},
      {"a;b;", {"a", "b", ""}},
      {";", {"", ""}},
      {";;", {"", "", ""}},
      {" a ;\tb", {" a ", "\tb"}},
      {"my file.bmp;500;0", {"my file.bmp", "500", "0"}},
      {"a.bmp;500;0;x", {"a.bmp", "500", "0", "x"}},
      {"\"x;y\";z", {"x;y", "z"}},
      {"\"say \"\"hi\"\"\";1", {"say \"hi\"", "1"}},
      {"\"open;rest", {"open;rest"}},
      {"\"a\"b;c", {"a", "b", "c"}},
      {"\"\"", {""}},
      {"\"a\";", {"a", ""}},
      {"x\"y;z", {"x\"y", "z"}},
  };
  for (const auto& c : cases) {
    QStringList fields{"stale"};
    framora::SplitFields(u';', c.line, fields);
    EXPECT_EQ(fields, c.fields) << c.line.toStdString();
  }
}
