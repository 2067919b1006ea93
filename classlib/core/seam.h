#pragma once
// A replaceable system interface: components reach the system (shell, registry, hotkeys,
// program start) through an interface class T that names its own implementation,
// `static T& System()`. Tests install a recording one for as long as a TSeamScope lives.
template <class T>
class TSeam {
 public:
  // The installed implementation, else the system's.
  static T& Get() { return FInstalled ? *FInstalled : T::System(); }

 private:
  template <class>
  friend class TSeamScope;
  static inline T* FInstalled = nullptr;
};

template <class T>
class TSeamScope {
 public:
  explicit TSeamScope(T& Value) : FPrevious(TSeam<T>::FInstalled) { TSeam<T>::FInstalled = &Value; }
  ~TSeamScope() { TSeam<T>::FInstalled = FPrevious; }
  TSeamScope(const TSeamScope&) = delete;
  TSeamScope& operator=(const TSeamScope&) = delete;

 private:
  T* FPrevious;
};
