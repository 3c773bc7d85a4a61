// Tests of the taxa block.
