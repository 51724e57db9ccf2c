# Run by CTest (cmake -P -DROOT=<checkout>): refuses an include that points up the layers.
# A file may include headers of its own layer and of the layers below it:
#   base layers < containers < framework < stored and path templates < module < the rest
# (tools, tests, benchmarks, fuzz targets, examples and the Python module include anything).
set(layer_names "base layers" "containers" "framework" "stored and path templates" "module")
set(layer_folders
    "framework/(atr|cow|fwk|mem|nex|omi|pnt|typ)/"
    "generated/include/cow/"
    "framework/"
    "generated/include/stored/"
    "generated/module/")

# The layer of a file from its folder, -1 for files above the module.
function(layer_of path out)
  set(rank 0)
  foreach(folder ${layer_folders})
    if(path MATCHES "^${folder}")
      set(${out} ${rank} PARENT_SCOPE)
      return()
    endif()
    math(EXPR rank "${rank} + 1")
  endforeach()
  set(${out} -1 PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE ${ROOT} ${ROOT}/framework/*.h ${ROOT}/framework/*.cpp
     ${ROOT}/generated/*.h ${ROOT}/generated/*.cpp)
# Header names are unique across the layers: an include names its layer by its file name.
foreach(path ${sources})
  get_filename_component(name ${path} NAME)
  layer_of(${path} rank)
  set(layer_of_${name} ${rank})
endforeach()

set(refused "")
foreach(path ${sources})
  layer_of(${path} rank)
  file(STRINGS ${ROOT}/${path} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line ${includes})
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" included "${line}")
    get_filename_component(name ${included} NAME)
    if(NOT DEFINED layer_of_${name})
      continue()
    endif()
    if(layer_of_${name} GREATER rank)
      list(GET layer_names ${rank} from)
      list(GET layer_names ${layer_of_${name}} to)
      string(APPEND refused "  ${path} (${from}) includes ${included} (${to})\n")
    endif()
  endforeach()
endforeach()
if(refused)
  message(FATAL_ERROR "includes that point up the layers:\n${refused}")
endif()
message(STATUS "every include of framework/ and generated/ points down the layers")
