#!/usr/bin/env python3
"""The shared workloads in Python's turtle with tracer(0), the fastest way it
draws: python_turtle.py w1_spiral | w2_star | w3_circles | w4_star5. Needs a
display (scripts/bench --peers starts Xvfb for it)."""
import sys
import turtle

WORKLOADS = {
    "w1_spiral": lambda t: [(t.fd(1), t.rt(1)) for _ in range(100000)],
    "w2_star": lambda t: [(t.fd(100), t.lt(144)) for _ in range(20000)],
    "w3_circles": lambda t: [t.circle(100) for _ in range(200)],
    "w4_star5": lambda t: [(t.fd(100), t.lt(144)) for _ in range(5)],
}

screen = turtle.Screen()
screen.setup(732, 420)
screen.tracer(0)
pen = turtle.Turtle()
WORKLOADS[sys.argv[1]](pen)
screen.update()
