# Helpers shared by the test, benchmark and example folders.
include_guard(GLOBAL)

# Every subfolder of `dir` holding .cpp files becomes one executable `<prefix><folder>`,
# so a new suite needs no edit of a CMakeLists file.
function(rgn_executables_per_folder dir prefix out_var)
  file(GLOB children RELATIVE ${dir} ${dir}/*)
  set(made "")
  foreach(child ${children})
    if(IS_DIRECTORY ${dir}/${child})
      file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${dir}/${child}/*.cpp)
      if(srcs)
        add_executable(${prefix}${child} ${srcs})
        list(APPEND made ${prefix}${child})
      endif()
    endif()
  endforeach()
  set(${out_var} ${made} PARENT_SCOPE)
endfunction()
