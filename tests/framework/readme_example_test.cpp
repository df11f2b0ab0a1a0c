// The README's conversion example, compiled and run. Includes only the umbrella header, which
// proves it is all a program needs.
#include "framework/jorv.h"

#include <gtest/gtest.h>

namespace {

struct Point : Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.example.point";
  long long x = 0;
  boost::optional<long long> y;
  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("x", &Point::x);
      f.Field("y", &Point::y);
    }
  };
};

TEST(ReadmeExample, ConvertsAPoint) {
  Point point;
  point.x = 3;
  Jorv::Data::DataValuePtr value;
  std::list<Jorv::BaseMessage> messages;
  bool ok = Jorv::Data::NativeToValueAdapter::Adapt(
      &point, Jorv::Data::NativeToValueAdapter::AdaptMethod<Point>::Get(&point), &value, messages,
      Jorv::L10n::RequestLocalizerHelper::GetDefaultRequestLocalizer());
  EXPECT_TRUE(ok);
  EXPECT_EQ(Jorv::Data::ToText(value), "com.example.point{x: 3, y: unset}");
}

}  // namespace
