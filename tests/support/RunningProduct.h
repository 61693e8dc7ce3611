// The product, running: a stand-in ZR5048Em.exe started in its own process, with its marker window
// in place. Ended when the object goes.
#pragma once

#include <windows.h>

#include <string>

namespace zr::test {

class RunningProduct {
  public:
    // Where the stand-in puts the product's window property.
    enum class Mark { TopLevel, ChildOnly, NullValue, None };

    explicit RunningProduct(Mark mark = Mark::TopLevel);
    ~RunningProduct();
    RunningProduct(const RunningProduct&) = delete;
    RunningProduct& operator=(const RunningProduct&) = delete;

    // The process runs and has put its window (and property, as marked) in place.
    bool Ready() const { return m_ready; }
    // Ends the process and waits until it is gone, its windows with it.
    void End();

  private:
    PROCESS_INFORMATION m_process = {};
    bool m_ready = false;
};

}  // namespace zr::test
