#!/usr/bin/env bash
# Without Vulkan support on the window system (Qt's offscreen platform), the viewer reports
# "Failed to create QVulkanInstance" on Qt's critical log and exits with a non-zero code instead of aborting.
#   start_failure_test.sh <tavisher>
set -uo pipefail
log=$(QT_QPA_PLATFORM=offscreen "$1" 2>&1)
status=$?
echo "$log"
if [ "$status" -ne 1 ]; then
  echo "start-failure: expected exit code 1, got $status" >&2
  exit 1
fi
if ! grep -qx "Failed to create QVulkanInstance" <<<"$log"; then
  echo "start-failure: the critical message is missing" >&2
  exit 1
fi
echo "start-failure: reported and exited with 1"
