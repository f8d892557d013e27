#!/usr/bin/env python3
"""The shared workloads in Python's turtle at its fastest: the turtle hidden,
tracer(0) and one update() at the end. python_turtle.py w1_spiral | w2_star |
w3_circles | w4_star5. Needs a display (scripts/bench --peers starts Xvfb for
it) and Debian's /usr/bin/python3 with python3-tk."""
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
pen.hideturtle()
pen.speed(0)
WORKLOADS[sys.argv[1]](pen)
screen.update()
