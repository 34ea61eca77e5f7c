# Waits on atomics and semaphores (std::binary_semaphore, which ends every
# std::stop_callback whose callback another thread ran) lose wake-ups with
# GCC 12's libstdc++ on systems without futexes, Windows among them: the
# waiter checks the value before it takes the pool's mutex, and the notifier
# signals the condition variable without taking it, so a notify that falls
# between the check and the wait is lost and the waiter sleeps for good. A
# worker whose adb child a stop killed then never returned (seen as a hung
# worker runtime test under Wine, one run in five to ten).
#
# The build gets a copy of the compiler's own bits/atomic_wait.h, ahead of it
# on the include path, in which both sides hold the mutex. Only the two
# places are changed; a libstdc++ that no longer has them is used as it is.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=include/c++/bits/atomic_wait.h
                OUTPUT_VARIABLE nimbo_atomic_wait OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT EXISTS "${nimbo_atomic_wait}")
  return()
endif()
file(READ "${nimbo_atomic_wait}" header)
set(wait_old
"\t__platform_wait_t __val;
\t__atomic_load(__addr, &__val, __ATOMIC_SEQ_CST);
\tif (__val == __old)
\t  {
\t    lock_guard<mutex> __l(_M_mtx);
\t    _M_cv.wait(_M_mtx);
\t  }")
set(wait_new
"\tlock_guard<mutex> __l(_M_mtx);
\t__platform_wait_t __val;
\t__atomic_load(__addr, &__val, __ATOMIC_SEQ_CST);
\tif (__val == __old)
\t  _M_cv.wait(_M_mtx);")
set(notify_old
"#else
\tif (__all)
\t  _M_cv.notify_all();")
set(notify_new
"#else
\tlock_guard<mutex> __l(_M_mtx);
\tif (__all)
\t  _M_cv.notify_all();")
string(FIND "${header}" "${wait_old}" at_wait)
string(FIND "${header}" "${notify_old}" at_notify)
if(at_wait EQUAL -1 OR at_notify EQUAL -1)
  message(STATUS "libstdc++ atomic waits: ${nimbo_atomic_wait} used as it is")
  return()
endif()
string(REPLACE "${wait_old}" "${wait_new}" header "${header}")
string(REPLACE "${notify_old}" "${notify_new}" header "${header}")
set(fix_dir ${CMAKE_BINARY_DIR}/toolchain-fixes)
file(WRITE ${fix_dir}/atomic_wait.h.new "${header}")
# Rewritten only when it changes, so a new configure rebuilds nothing.
configure_file(${fix_dir}/atomic_wait.h.new ${fix_dir}/bits/atomic_wait.h COPYONLY)
include_directories(BEFORE SYSTEM ${fix_dir})
message(STATUS "libstdc++ atomic waits: lost wake-ups fixed in ${fix_dir}/bits/atomic_wait.h")
