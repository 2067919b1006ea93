// The desktop services' component base.
#include <gtest/gtest.h>

#include "classlib/core/filer.h"
#include "classlib/core/formtext.h"
#include "desktop/dsksystems.h"

namespace {

TEST(DskSystemsComponent, CarriesItsAboutTextWithoutStoringIt) {
  TDskSystemsComponent component(nullptr);
  component.SetName("Holder1");
  EXPECT_FALSE(component.About.empty());
  TMemoryStream binary;
  TWriter(&binary).WriteRootComponent(&component);
  binary.SetPosition(0);
  TStringStream text;
  ObjectBinaryToText(&binary, &text);
  EXPECT_EQ(text.DataString(), "object Holder1: TDskSystemsComponent\r\nend\r\n");
}

}  // namespace
