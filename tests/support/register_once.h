// Cell classes registered once in a test program, however many fixtures
// ask for them.
#pragma once

namespace test {

template <void (*... Register)()>
void RegisterOnce() {
    static const bool once = ((Register(), ...), true);
    (void)once;
}

}  // namespace test
