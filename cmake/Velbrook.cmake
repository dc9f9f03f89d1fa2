# Helpers shared by the subsystem folders.

# velbrook_windows_path(<out-var> <linux-path>): the path as a Windows program under Wine sees it (Z: is the
# Linux root), with a trailing backslash for folders when the caller adds one.
function(velbrook_windows_path out path)
  string(REPLACE "/" "\\\\" winpath "${path}")
  set(${out} "Z:${winpath}" PARENT_SCOPE)
endfunction()
