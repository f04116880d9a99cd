#!/usr/bin/env python3
"""What a user would script instead of korvel's frame source: OpenCV's
VideoCapture, set(CAP_PROP_POS_FRAMES, n) then read(). Prints one JSON object:
the open time and the time of each seek+read in milliseconds."""
import json
import sys
import time

try:
    import cv2
except ImportError:
    print(json.dumps({"error": "python3-opencv is not installed"}))
    sys.exit(0)

path = sys.argv[1]
frames = [int(a) for a in sys.argv[2:]]
t0 = time.perf_counter()
cap = cv2.VideoCapture(path, cv2.CAP_FFMPEG)
ok = cap.isOpened()
open_ms = (time.perf_counter() - t0) * 1000
times = []
for n in frames:
    t = time.perf_counter()
    cap.set(cv2.CAP_PROP_POS_FRAMES, n)
    ok, _ = cap.read()
    times.append((time.perf_counter() - t) * 1000 if ok else None)
print(json.dumps({"open_ms": open_ms, "seek_read_ms": times, "version": cv2.__version__}))
