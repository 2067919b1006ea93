#pragma once
// What a transparent kit control paints under itself: the background of a provider, its
// parent kit control or, on a form, the form's shape component (TKitFormShape). The
// control copies the part of GetBackgroundBitmap() that lies under it (the picture covers
// the provider's client area from (0, 0)). Windows only.
class TBitmap;

class TKitBackgroundProvider {
 public:
  virtual ~TKitBackgroundProvider() = default;
  // Whether the provider paints a background of its own.
  virtual bool HasBackground() = 0;
  // The background as painted now, filled and sized by the provider itself when it is
  // empty, resized or changed; nullptr when there is none (never an empty picture).
  virtual TBitmap* GetBackgroundBitmap() = 0;
};
